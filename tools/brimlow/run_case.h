// Running one case through the library: value check, model set-up, run, and
// the results read back (summary, branch histories, pipe-level table).
#ifndef BRIMLOW_RUN_CASE_H
#define BRIMLOW_RUN_CASE_H

#include "case.h"
#include "results.h"

namespace brimlow {

// Checks the values with the library's own check, naming the failing key,
// and that no valve lies beyond the pipe's end; false with the failure
// filled.
bool checkCaseValues(const Case& c, CaseFailure& failure);

// Runs the case. Tables are read only when asked for; the summary is the same
// either way. A case that asks for the reference beside the fast model, or
// chooses it as its model, runs it after the fast model, on the same model,
// reporting to watch (may be null); with the reference chosen the summary,
// the pipe tables and the events are the reference's, and a hole below the
// fast model's smallest runs the reference alone. A reference that fails
// after the fast model ran leaves the fast model's answer, with
// referenceFailure set.
CaseResult runCase(const Case& c, bool withTables, ReferenceWatch* watch = nullptr);

// The case's release report alone, as runCase(c, false) gives it, from one
// call of the library's sweep entry on the calling thread (a batch's row):
// the check, the summary, the reports; the failure of a case the library
// refuses or cannot run. A case the sweep entry does not carry whole (a named
// gas, a composition, a line under the sea, a breach beyond the one-call
// range) takes runCase(c, false) itself.
CaseResult runCaseSummary(const Case& c);

}  // namespace brimlow

#endif
