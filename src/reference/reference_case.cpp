#include "reference/reference_case.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace vorl::reference {
namespace {

// Most report times a run keeps: a bound on the memory of the result series.
constexpr double kMaxReports = 1.0e7;

void require(bool condition, const char* what) {
  if (!condition) throw std::invalid_argument(std::string("reference case: ") + what);
}

bool positive(double value) { return std::isfinite(value) && value > 0.0; }

}  // namespace

void validateCase(const ReferenceCase& c) {
  require(positive(c.molarMass), "the molar mass must be positive");
  require(positive(c.temperature), "the gas temperature must be positive");
  if (c.realGas) {
    require(positive(c.realGas->temperature), "the critical temperature must be positive");
    require(positive(c.realGas->pressure), "the critical pressure must be positive");
    require(std::isfinite(c.realGas->acentricFactor), "the acentric factor must be finite");
  }
  require(positive(c.length), "the line length must be positive");
  require(positive(c.bore), "the bore must be positive");
  require(std::isfinite(c.fanning) && c.fanning >= 0.0, "the Fanning factor must be zero or positive");
  require(positive(c.ambientPressure), "the ambient pressure must be positive");
  require(std::isfinite(c.upstreamPressure) && c.upstreamPressure > c.ambientPressure,
          "the upstream pressure must exceed the ambient pressure");
  require(std::isfinite(c.inflow) && c.inflow >= 0.0, "the inflow must be zero or positive");
  require(std::isfinite(c.breachLocation) && c.breachLocation >= 0.0 && c.breachLocation <= c.length,
          "the breach must lie on the line (0 to its length)");
  require(std::isfinite(c.aperture) && c.aperture > 0.0 && c.aperture <= 1.0, "the aperture must be in (0, 1]");
  require(std::isfinite(c.breachOpeningTime) && c.breachOpeningTime >= 0.0,
          "the breach opening time must be zero or positive");
  for (const IsolationValve& valve : c.valves) {
    require(std::isfinite(valve.position), "a valve position must be finite");
    require(positive(valve.closureTime), "a valve closure time must be positive");
  }
  require(positive(c.endTime), "the end time must be positive");
  if (c.reportTimes.empty()) {
    require(positive(c.reportInterval) && c.endTime / c.reportInterval <= kMaxReports,
            "the report interval must be positive and give at most 1e7 reports");
  }
  for (std::size_t i = 0; i < c.reportTimes.size(); ++i) {
    require(std::isfinite(c.reportTimes[i]) && c.reportTimes[i] >= 0.0 && c.reportTimes[i] <= c.endTime,
            "report times must lie between 0 and the end time");
    require(i == 0 || c.reportTimes[i] > c.reportTimes[i - 1], "report times must be ascending");
  }
  const ReferenceNumerics& n = c.numerics;
  require(positive(n.refinement), "the refinement must be positive");
  require(positive(n.courantNumber) && n.courantNumber <= 1.0, "the Courant number must be in (0, 1]");
  require(std::isfinite(n.initialBreachCell) && n.initialBreachCell >= 0.0,
          "the initial breach cell must be zero (the bore) or positive");
  require(positive(n.grading), "the grading must be positive");
  require(positive(n.largestCellFraction) && n.largestCellFraction <= 1.0,
          "the largest cell fraction must be in (0, 1]");
  require(positive(n.latestBreachCellFraction) && n.latestBreachCellFraction <= 1.0,
          "the latest breach cell fraction must be in (0, 1]");
  require(std::isfinite(n.coarseningRate) && n.coarseningRate >= 0.0, "the coarsening rate must be zero or positive");
}

std::vector<double> reportTimesOf(const ReferenceCase& c) {
  if (!c.reportTimes.empty()) return c.reportTimes;
  std::vector<double> times;
  const auto count = static_cast<long long>(std::floor(c.endTime / c.reportInterval * (1.0 + 1e-12)));
  times.reserve(static_cast<std::size_t>(count) + 1);
  for (long long k = 0; k <= count; ++k) times.push_back(std::fmin(static_cast<double>(k) * c.reportInterval, c.endTime));
  return times;
}

}  // namespace vorl::reference
