#pragma once

#include <vector>

#include "reference/result_series.h"
#include "results/events.h"

namespace vorl {

class VORL;

// The reference solution's answer in the fast model's terms, so that a host
// reads either model through the same release report, pipe tables and
// events (model choice 1). Everything is read from the series of the last
// reference run at its report times, linearly interpolated between them; a
// time past the run's end gives NaN. What the reference does not resolve
// (the expansion after the exit, the gas behind shut valves apart from the
// rest, the arrival of the decompression front) is NaN.

// The last reference result; raises 3 "no results" when there is none.
const reference::ReferenceResult& requireReferenceResult(const VORL& model, const char* tag);

// A series of the result at time t (s), linear between report times; NaN
// outside the run.
double seriesAt(const reference::ReferenceResult& result, const std::vector<double>& series, double t) noexcept;

// The release report (releaseReportFields(), in its order) of the last
// reference run. Choking ends when the orifice's throat, reached by the
// isothermal acceleration from the pipe end, would fall below the ambient
// pressure at the sound speed (judged with the ideal gas's sound speed: the
// flow dechokes near the ambient pressure, where the gas is ideal); the far
// end's flow reverses when the sink stops taking gas from branch B.
void fillReferenceReleaseReport(const VORL& model, double* values);

// The pipe table (pipeTableColumns()) at the given times.
void fillReferencePipeTableAt(const VORL& model, const double* times, int rows, double* values);

// The reference's own grid: count equal steps from the breach to its end
// (count + 1 rows; none for a count below 1).
int referencePipeGridRows(const VORL& model, int count);
void fillReferencePipeGrid(const VORL& model, int count, int rows, double* values);

// The events of the reference run, in the order runEvents gives the fast
// model's: dechoking, the far end's flow reversal of branch B, and the
// closures of active valves within the run.
std::vector<RunEvent> referenceRunEvents(const VORL& model);

}  // namespace vorl
