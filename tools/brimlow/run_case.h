// Running one case through the library: value check, model set-up, run, and
// the results read back (summary, branch histories, pipe-level table).
#ifndef BRIMLOW_RUN_CASE_H
#define BRIMLOW_RUN_CASE_H

#include <string>
#include <vector>

#include "case.h"
#include "reports.h"
#include "vorl.h"

namespace brimlow {

// A column of a results table or a summary field: its name (with the unit in
// it, as the case keys have), unit and meaning, as the library gives them.
struct Column {
  std::string name;
  std::string unit;
  std::string meaning;
  bool integer;
};

const std::vector<Column>& branchColumns();
const std::vector<Column>& pipeColumns();
const std::vector<Column>& summaryFields();

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

struct CaseFailure {
  int status = 0;       // kExitCaseValue or kExitRunFailed
  std::string key;      // the case key at fault, "" when none is known
  std::string message;  // the library's report
  std::string text() const { return key.empty() ? message : key + ": " + message; }
};

struct CaseResult {
  bool ok = false;
  CaseFailure failure;
  std::vector<Report> reports;  // every report of the case; warnings among them
  std::string layout;           // "double branch", "single branch A", "single branch B"
  double breachLocation = 0.0;  // m, where the library put the breach (one beyond the pipe: its end)
  bool hasA = false, hasB = false;
  std::vector<double> summary;  // by summaryFields()
  Table branchA, branchB, pipe; // filled when tables are asked for
  Table pipeStepped;            // the pipe at fixed times, when the case asks for it (table_step.h)
  std::vector<RunEvent> events; // in the order of time; with the tables
};

// The summary value of a field by name (NaN when unknown).
double summaryValue(const CaseResult& result, const std::string& name);

// Checks the values with the library's own check, naming the failing key,
// and that no valve lies beyond the pipe's end; false with the failure
// filled.
bool checkCaseValues(const Case& c, CaseFailure& failure);

// The pipe-level table at the given times, each looked up with its tolerance
// (one tolerance for all, or one each), in the columns of pipeColumns().
Table pipeTableAt(VorlHandle model, const std::vector<double>& times, const std::vector<double>& tolerances);

// Runs the case. Tables are read only when asked for; the summary is the same
// either way.
CaseResult runCase(const Case& c, bool withTables);

}  // namespace brimlow

#endif
