#pragma once

#include "results/table_column.h"

namespace vorl {

class VORL;

// The release report of a run: what an engineer reads first about a breach,
// as one row of named fields. A field that does not apply (branch B of a
// single branch A) is NaN; an event that never happens and a mass released
// without end are +inf.
ColumnList releaseReportFields() noexcept;

// Writes every field of the report (releaseReportFields().count values).
// Raises 3 "BAFH" before a run. The model's time setting is kept as it was.
// A refused expansion gives zeros to the post-flash fields and is reported.
void fillReleaseReport(VORL& model, double* values);

}  // namespace vorl
