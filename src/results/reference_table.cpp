#include "results/reference_table.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <vector>

namespace vorl {
namespace {

using reference::BranchSeries;
using reference::ReferenceResult;
using Series = std::vector<double>;

template <Series ReferenceResult::*series>
double ofLine(const ReferenceResult& result, std::size_t row) {
  return (result.*series)[row];
}

template <BranchSeries ReferenceResult::*branch, Series BranchSeries::*series>
double ofBranch(const ReferenceResult& result, std::size_t row) {
  const BranchSeries& b = result.*branch;
  return b.present ? (b.*series)[row] : std::numeric_limits<double>::quiet_NaN();
}

constexpr BranchSeries ReferenceResult::*kA = &ReferenceResult::upstream;
constexpr BranchSeries ReferenceResult::*kB = &ReferenceResult::downstream;

const ReferenceColumn kColumns[] = {
    {"time_s", "s", &ofLine<&ReferenceResult::time>},
    {"a_release_rate_kg_per_s", "kg/s", &ofBranch<kA, &BranchSeries::releaseRate>},
    {"a_mass_released_kg", "kg", &ofBranch<kA, &BranchSeries::releasedMass>},
    {"a_breach_end_pressure_Pa", "Pa", &ofBranch<kA, &BranchSeries::breachEndPressure>},
    {"a_far_end_pressure_Pa", "Pa", &ofBranch<kA, &BranchSeries::farEndPressure>},
    {"a_mass_kg", "kg", &ofBranch<kA, &BranchSeries::mass>},
    {"b_release_rate_kg_per_s", "kg/s", &ofBranch<kB, &BranchSeries::releaseRate>},
    {"b_mass_released_kg", "kg", &ofBranch<kB, &BranchSeries::releasedMass>},
    {"b_breach_end_pressure_Pa", "Pa", &ofBranch<kB, &BranchSeries::breachEndPressure>},
    {"b_far_end_pressure_Pa", "Pa", &ofBranch<kB, &BranchSeries::farEndPressure>},
    {"b_mass_kg", "kg", &ofBranch<kB, &BranchSeries::mass>},
    {"release_rate_kg_per_s", "kg/s", &ofLine<&ReferenceResult::releaseRate>},
    {"mass_released_kg", "kg", &ofLine<&ReferenceResult::releasedMass>},
    {"line_mass_kg", "kg", &ofLine<&ReferenceResult::lineMass>},
    {"inflow_rate_kg_per_s", "kg/s", &ofLine<&ReferenceResult::inflowRate>},
    {"inflow_delivered_kg", "kg", &ofLine<&ReferenceResult::inflowDelivered>},
    {"sink_rate_kg_per_s", "kg/s", &ofLine<&ReferenceResult::sinkRate>},
    {"sink_delivered_kg", "kg", &ofLine<&ReferenceResult::sinkDelivered>},
};

}  // namespace

std::size_t referenceColumnCount() noexcept { return std::size(kColumns); }

const ReferenceColumn& referenceColumnAt(std::size_t index) noexcept {
  return kColumns[index < std::size(kColumns) ? index : 0];
}

int fillReferenceTable(const ReferenceResult& result, double* values, int maxRows) noexcept {
  const std::size_t rows = std::min(result.time.size(), static_cast<std::size_t>(maxRows > 0 ? maxRows : 0));
  double* out = values;
  for (std::size_t row = 0; row < rows; ++row) {
    for (const ReferenceColumn& column : kColumns) *out++ = column.value(result, row);
  }
  return static_cast<int>(rows);
}

}  // namespace vorl
