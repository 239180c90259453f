// The reference solution beside the fast model: the library's finite-volume
// solution of the full equations, run on the model of a finished fast run,
// at report times that hold the summary's instants.
#ifndef BRIMLOW_REFERENCE_H
#define BRIMLOW_REFERENCE_H

#include <vector>

#include "case.h"
#include "reports.h"
#include "results.h"
#include "vorl.h"

namespace brimlow {

// The library's reference table columns (names and units; it gives no
// meanings).
const std::vector<Column>& referenceColumns();

// The report times of a run that ends at end (s): the library's own, those
// its run of the reference as the model takes (VorlModelReportTimes), so that
// the tool's table and its reference answer read the series the library's
// other hosts read. They hold the instants the tool compares at (the breach,
// 10 s, 1 min, 10 min, 1 h before the end, and the end). Increasing.
std::vector<double> referenceReportTimes(double end);

// Runs the reference of case c on the model (its fast run done, its summary
// in result) and reads its table and its figures at the instants into
// result.reference. False with result.failure: a refusal of the library
// under the key it concerns, a failed run, or a run the watch cancelled.
// The capture is the one of the case's run: the reference's warnings join
// the case's reports.
bool runReference(VorlHandle model, const Case& c, ReferenceWatch* watch, const ReportCapture& capture,
                  CaseResult& result);

}  // namespace brimlow

#endif
