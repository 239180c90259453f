// The library's result tables as the tool reads them: the columns each CSV
// shows, the summary fields, and the tables, events and release curve of a
// run model.
#ifndef BRIMLOW_TABLES_H
#define BRIMLOW_TABLES_H

#include <string>
#include <vector>

#include "results.h"
#include "vorl.h"

namespace brimlow {

const std::vector<Column>& branchColumns();
const std::vector<Column>& pipeColumns();
const std::vector<Column>& summaryFields();

// The summary value of a field by name (NaN when unknown).
double summaryValue(const CaseResult& result, const std::string& name);

// The library's release report in the order of summaryFields(): its
// infinities +inf, the fields that do not apply NaN.
std::vector<double> summaryOf(VorlHandle model);

// A branch's records (a VorlBranch) in the columns of branchColumns().
Table branchTable(VorlHandle model, int branch);

// The pipe at the output grid of count times, as the one-call entry walks it.
Table pipeGridTable(VorlHandle model, int count);

// The pipe-level table at the given times, each looked up with its tolerance
// (one tolerance for all, or one each), in the columns of pipeColumns().
Table pipeTableAt(VorlHandle model, const std::vector<double>& times, const std::vector<double>& tolerances);

// The run's events in the order of time.
std::vector<RunEvent> eventsOf(VorlHandle model);

// The release curve at the output grid of count times, as the library lays it out.
ReleaseCurve releaseCurveOf(VorlHandle model, int count);

}  // namespace brimlow

#endif
