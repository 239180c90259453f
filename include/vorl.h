/*
 * Brimlow: release of gas from a long high-pressure pipeline after a breach.
 *
 * Flat C interface of the vorl library. A host creates a model (an opaque
 * handle), sets its inputs, runs it, reads per-step branch results and
 * pipe-level results, and deletes it. Every function is declared from the
 * export table vorl_exports.inc, which also gives each one's ordinal in the
 * Windows DLL, its arguments and their units.
 *
 * Failures never leave the library: a failing call logs a coded report (read
 * it with VorlErrorLogCount/Code/Tag/Message or receive it through
 * VorlErrorHandlerSet) and returns its null result (0, 0.0, false or a null
 * handle). Every code is named in the enum VorlCode below.
 *
 * Units are SI throughout: K, Pa, m, s, kg, kg/s, kg/(m2 s); molecular weights
 * in kg/kmol.
 */
#ifndef VORL_H
#define VORL_H

/* 32-bit Windows hosts call the library with __stdcall; every other platform
 * uses its own default convention. */
#if defined(_WIN32) && !defined(_WIN64)
#define VORL_CALL __stdcall
#else
#define VORL_CALL
#endif

/* On Windows the module-definition file generated from the export table
 * exports the functions under their plain names and fixed ordinals, so the
 * library itself needs no dllexport. */
#if defined(_WIN32)
#if defined(VORL_BUILDING_LIBRARY)
#define VORL_API
#else
#define VORL_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define VORL_API __attribute__((visibility("default")))
#else
#define VORL_API
#endif

/* wchar_t of VorlString, for C hosts. */
#if defined(_WIN32)
#include <stddef.h>
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Opaque model handle; null means no model. It names an entry of the
 * library's registry of live models, not the model's address: once the model
 * is deleted, every copy of its handle is refused (code 2). */
typedef struct VorlModel* VorlHandle;

/* One-byte boolean of the interface. Results are 0 or 1; an argument counts
 * as true when it is non-zero (spreadsheet hosts pass -1 for true). */
typedef unsigned char VorlBool;

/* Owned text returned by the library (Author): on Windows a BSTR, the system
 * string of wide characters; elsewhere a UTF-8 string. Free it with
 * VorlStringFree. */
#if defined(_WIN32)
typedef wchar_t* VorlString;
#else
typedef char* VorlString;
#endif

/* Host callback for every logged report (errors and warnings), called as the
 * report is logged, on the thread that raised it. */
typedef void(VORL_CALL* VorlErrorHandler)(int code, const char* tag, int level,
                                          const char* message, void* user);

/* Host callback for the progress lines of a run. */
typedef void(VORL_CALL* VorlDebugSink)(const char* line, void* user);

/* Host callback for the progress of a reference run: called with the fraction
 * of its simulated time done, rising to 1 at the end; returning 0 stops the
 * run, which then keeps no result (code 409). */
typedef int(VORL_CALL* VorlProgress)(double fraction, void* user);

/* The codes of the reports (VorlErrorLogCode, the error handler,
 * VorlCheckInputs), grouped by meaning in vorl_codes.inc with a comment and a
 * default text each (VorlCodeText gives the text). */
typedef enum VorlCode {
#define VORL_CODE(name, value, text) name = value,
#include "vorl_codes.inc"
#undef VORL_CODE
} VorlCode;

/* Where the one-call entry (VorlGenericZel, VorlCheckInputs,
 * VorlGenericInputsSet) reads an input of the table (VorlInputSlot): flags[i],
 * inputs[i], valveFirst and valveSecond of every valve, *timeDivision,
 * *maxSteps; none for an input it does not take. */
typedef enum VorlSlot {
  VORL_SLOT_NONE = 0,
  VORL_SLOT_FLAGS = 1,
  VORL_SLOT_INPUTS = 2,
  VORL_SLOT_VALVE_POSITIONS = 3,
  VORL_SLOT_VALVE_CLOSURE_TIMES = 4,
  VORL_SLOT_TIME_DIVISION = 5,
  VORL_SLOT_MAX_STEPS = 6
} VorlSlot;

/* The branches of a pipe breached inside: A upstream of the breach, B
 * downstream (the tables and events name a branch by these numbers). */
typedef enum VorlBranch {
  VORL_BRANCH_A = 1,
  VORL_BRANCH_B = 2
} VorlBranch;

/* The modes of the output time grid (VorlPipeOutputTimesDefine): n times
 * evenly to the end of the run; the same ending on the output end time (for
 * a branch A fed to infinite time); the run's own stored times thinned to n;
 * the same, a single branch thinned to the output maximum steps (the grid of
 * VorlPipeGridTableFill, the one-call entry and the command-line tool). */
typedef enum VorlGridMode {
  VORL_GRID_EVEN = 0,
  VORL_GRID_EVEN_THEN_END_TIME = 1,
  VORL_GRID_RUN_TIMES = 2,
  VORL_GRID_RUN_TIMES_CAPPED = 3
} VorlGridMode;

/* The kinds of event of a run (VorlEventsFill): a branch's outflow no longer
 * choked, its decompression front at its far end, branch B's far-end flow
 * turned toward the breach, a branch blown down, and a valve shut on it. */
typedef enum VorlEventKind {
  VORL_EVENT_DECHOKE = 1,
  VORL_EVENT_WHOLE_BRANCH_DISTURBED = 2,
  VORL_EVENT_FLOW_REVERSAL = 3,
  VORL_EVENT_DEPRESSURISED = 4,
  VORL_EVENT_VALVE_CLOSURE = 5
} VorlEventKind;

/* The model whose answer the results give (VorlModelChoiceSet, a case of
 * VorlSweepRun): the fast model, or the reference solution of the same case. */
typedef enum VorlModelKind {
  VORL_MODEL_FAST = 0,
  VORL_MODEL_REFERENCE = 1
} VorlModelKind;

/* What became of a case of a sweep: run to its results, refused or failed
 * (its code says why), or not run because the sweep was cancelled first. */
typedef enum VorlSweepStatus {
  VORL_SWEEP_OK = 0,
  VORL_SWEEP_FAILED = 1,
  VORL_SWEEP_NOT_RUN = 2
} VorlSweepStatus;

#define VORL_EXPORT(ordinal, result, name, arguments) \
  VORL_API result VORL_CALL name arguments;
#include "vorl_exports.inc"
#undef VORL_EXPORT

#ifdef __cplusplus
}
#endif

#endif /* VORL_H */
