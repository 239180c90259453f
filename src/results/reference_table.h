#pragma once

#include <cstddef>

#include "reference/result_series.h"

namespace vorl {

// The result of a reference run as a table: one row per report time, the
// columns below in this order. A branch the breach does not leave (a breach
// at an end of the line) has NaN in its columns.
//
//   time_s                                  s after the breach
//   a_release_rate_kg_per_s                 branch A (upstream): through the breach
//   a_mass_released_kg                      ... released through the breach so far
//   a_breach_end_pressure_Pa                ... pressure at its end at the breach
//   a_far_end_pressure_Pa                   ... pressure at the supply end
//   a_mass_kg                               ... gas in the branch (behind shut valves too)
//   b_... (the same five)                   branch B (downstream), far end the sink end
//   release_rate_kg_per_s                   both branches
//   mass_released_kg                        both branches
//   line_mass_kg                            gas in the whole line
//   inflow_rate_kg_per_s, inflow_delivered_kg   fed by the supply, and fed so far
//   sink_rate_kg_per_s, sink_delivered_kg       delivered into the sink, and so far

struct ReferenceColumn {
  const char* name;  // snake_case with its unit, as the tool's tables name columns
  const char* unit;
  double (*value)(const reference::ReferenceResult& result, std::size_t row);
};

std::size_t referenceColumnCount() noexcept;
// The column at an index below referenceColumnCount().
const ReferenceColumn& referenceColumnAt(std::size_t index) noexcept;

// Writes the first min(rows, maxRows) rows, row by row, into values (room for
// maxRows x referenceColumnCount() doubles); returns the rows written.
int fillReferenceTable(const reference::ReferenceResult& result, double* values, int maxRows) noexcept;

}  // namespace vorl
