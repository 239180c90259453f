// What a case gives back: its tables, events, release curve, reference
// result and failure, as plain data. Every part of the tool that reads or
// writes results includes this, and nothing of the run itself.
#ifndef BRIMLOW_RESULTS_H
#define BRIMLOW_RESULTS_H

#include <string>
#include <vector>

#include "reports.h"

namespace brimlow {

// A column of a results table or a summary field: its name (with the unit in
// it, as the case keys have), unit and meaning, as the library gives them.
struct Column {
  std::string name;
  std::string unit;
  std::string meaning;
  bool integer;
};

// Rows of values in the order of their columns. Infinite values (the
// library's 1e128) are +infinity; values that do not exist are NaN.
struct Table {
  std::vector<std::vector<double>> rows;
};

// An event of the run as the library lists it (VorlEventsFill).
struct RunEvent {
  int kind;              // a VorlEventKind
  bool upstream;         // on branch A
  double time;           // s
  double valvePosition;  // m, NaN but for a valve closure
};

// An instant at which the summary puts the reference beside the fast model:
// release rate (kg/s) and mass released (kg) of each. The reference's are
// NaN past its end; the fast model's mass at the breach instant is 0.
struct ReferenceInstant {
  const char* mark;   // in the JSON names: "breach", "10s", "1min", "10min", "1h", "end"
  const char* label;  // for people: "at the breach", "after 10 s", ...
  double time;        // s
  double fastRate, fastMass;
  double rate, mass;
};

// The reference solution of a case, when it was asked for.
struct ReferenceResult {
  bool ran = false;
  double endTime = 0.0;  // s
  bool realGas = false;  // it took the Peng-Robinson gas
  Table table;           // in the columns of referenceColumns(), at referenceReportTimes()
  std::vector<ReferenceInstant> instants;
};

// Watches a reference run: receives the fraction of the simulated time done
// and says whether to go on.
class ReferenceWatch {
 public:
  virtual ~ReferenceWatch() = default;
  virtual bool proceed(double fraction) = 0;
};

struct CaseFailure {
  int status = 0;       // kExitCaseValue or kExitRunFailed
  std::string key;      // the case key at fault, "" when none is known
  std::string message;  // the library's report
  std::string text() const { return key.empty() ? message : key + ": " + message; }
};

// The release curve as the library lays it out for a plot (VorlReleaseCurve):
// points of the total and each branch, and where the plot starts and ends.
struct ReleaseCurve {
  Table points;  // series (0 total, 1 branch A, 2 branch B), time (s; 0 the breach), rate (kg/s), mass (kg)
  double start = 0.0, end = 0.0;  // s
  double carriedFromA = 0.0, carriedFromB = 0.0;  // s: a fed branch holds its last rate from here (1e128: never)
};

struct CaseResult {
  bool ok = false;
  CaseFailure failure;
  // The reference solution failed (or was refused) while the fast model's
  // answer stands: the case is ok, its results the fast model's.
  CaseFailure referenceFailure;
  bool referenceFailed() const { return referenceFailure.status != 0; }
  // The model whose answer the results are: "fast" or "reference".
  std::string model = "fast";
  std::vector<Report> reports;  // every report of the case; warnings among them
  std::string layout;           // "double branch", "single branch A", "single branch B"
  double breachLocation = 0.0;  // m, where the library put the breach (one beyond the pipe: its end)
  bool hasA = false, hasB = false;
  std::vector<double> summary;  // by summaryFields()
  Table branchA, branchB, pipe; // filled when tables are asked for
  Table pipeStepped;            // the pipe at fixed times, when the case asks for it (table_step.h)
  std::vector<RunEvent> events; // in the order of time; with the tables
  ReleaseCurve curve;           // with the tables
  ReferenceResult reference;    // when the case asks for it (key reference)
  // The gas and the outlet as the library took them.
  double outletPressure = 0.0;   // Pa the outflow leaves against
  bool underWater = false;       // a back pressure or water depth was given
  int components = 0;            // of the gas's composition (0: a gas by molar mass)
  double dewTemperature = 0.0;   // K of a mixture at the outlet pressure, 0 when nothing condenses
  // The potential impact radius of a natural-gas line (the library says
  // whether the gas is one), with its formula's inputs in its own units.
  bool naturalGas = false;
  double impactRadius = 0.0, impactDiameterInches = 0.0, impactGaugePsi = 0.0;
};

}  // namespace brimlow

#endif
