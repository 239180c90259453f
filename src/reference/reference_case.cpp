#include "reference/reference_case.h"

#include <cmath>
#include <string>

#include "reference/case_error.h"

namespace vorl::reference {
namespace {

// Most report times a run keeps: a bound on the memory of the result series.
constexpr double kMaxReports = 1.0e7;
// Longest line solved (m): twice the longest pipelines built. The initial
// profile is integrated in steps of metres, so a line of astronomical length
// would ask for more steps than any run can take.
constexpr double kLongestLine = 1.0e7;

void require(bool condition, CaseInput input, const char* what) {
  if (!condition) throw InvalidCase(input, std::string("reference case: ") + what);
}

bool positive(double value) { return std::isfinite(value) && value > 0.0; }

}  // namespace

namespace {

// A mixture's fractions sum to 1 within this (the library normalises them).
constexpr double kFractionSumTolerance = 1e-9;

// A mixture's components have constants of their own and fractions that
// make it whole; its interaction coefficients fill the square of them.
void validateMixture(const CriticalConstants& gas) {
  using In = CaseInput;
  double sum = 0.0;
  for (const RealGasComponent& component : gas.components) {
    require(positive(component.temperature), In::kCriticalTemperature,
            "a component's critical temperature must be positive");
    require(positive(component.pressure), In::kCriticalPressure, "a component's critical pressure must be positive");
    require(std::isfinite(component.acentricFactor), In::kAcentricFactor, "a component's acentric factor must be finite");
    require(std::isfinite(component.moleFraction) && component.moleFraction >= 0.0, In::kMolarMass,
            "a component's mole fraction must be zero or positive");
    sum += component.moleFraction;
  }
  if (gas.components.empty()) return;
  require(std::fabs(sum - 1.0) <= kFractionSumTolerance, In::kMolarMass, "the mole fractions must sum to 1");
  bool finite = gas.interaction.size() == gas.components.size() * gas.components.size();
  for (const double k : gas.interaction) finite = finite && std::isfinite(k);
  require(finite, In::kAcentricFactor, "the mixture needs a finite interaction coefficient for every pair");
}

}  // namespace

void validateCase(const ReferenceCase& c) {
  using In = CaseInput;
  require(positive(c.molarMass), In::kMolarMass, "the molar mass must be positive");
  require(positive(c.temperature), In::kGasTemperature, "the gas temperature must be positive");
  if (c.realGas) {
    require(positive(c.realGas->temperature), In::kCriticalTemperature, "the critical temperature must be positive");
    require(positive(c.realGas->pressure), In::kCriticalPressure, "the critical pressure must be positive");
    require(std::isfinite(c.realGas->acentricFactor), In::kAcentricFactor, "the acentric factor must be finite");
    validateMixture(*c.realGas);
  }
  require(positive(c.length) && c.length <= kLongestLine, In::kLength,
          "the line length must be positive and at most 10,000 km");
  require(positive(c.bore), In::kBore, "the bore must be positive");
  require(std::isfinite(c.fanning) && c.fanning >= 0.0, In::kFanning, "the Fanning factor must be zero or positive");
  require(positive(c.ambientPressure), In::kAmbientPressure, "the ambient pressure must be positive");
  require(std::isfinite(c.upstreamPressure) && c.upstreamPressure > c.ambientPressure, In::kUpstreamPressure,
          "the upstream pressure must exceed the ambient pressure");
  require(std::isfinite(c.inflow) && c.inflow >= 0.0, In::kInflow, "the inflow must be zero or positive");
  require(c.supplyTripTime >= 0.0, In::kInflow, "the supply's trip time must be 0 or later");
  require(std::isfinite(c.breachLocation) && c.breachLocation >= 0.0 && c.breachLocation <= c.length,
          In::kBreachLocation, "the breach must lie on the line (0 to its length)");
  require(std::isfinite(c.aperture) && c.aperture > 0.0 && c.aperture <= 1.0, In::kAperture,
          "the aperture must be in (0, 1]");
  require(std::isfinite(c.breachOpeningTime) && c.breachOpeningTime >= 0.0, In::kBreachOpeningTime,
          "the breach opening time must be zero or positive");
  // A valve may shut at the very instant the breach opens.
  for (const IsolationValve& valve : c.valves) {
    require(std::isfinite(valve.position), In::kValvePosition, "a valve position must be finite");
    require(std::isfinite(valve.closureTime) && valve.closureTime >= 0.0, In::kValveClosureTime,
            "a valve closure time must be zero or positive");
  }
  require(std::isfinite(c.valveClosingDuration) && c.valveClosingDuration >= 0.0, In::kValveClosureTime,
          "a valve closing duration must be zero or positive");
  require(positive(c.endTime), In::kEndTime, "the end time must be positive");
  if (c.reportTimes.empty() && !c.reportTimesAtEnd) {
    require(positive(c.reportInterval) && c.endTime / c.reportInterval <= kMaxReports, In::kReportTimes,
            "the report interval must be positive and give at most 1e7 reports");
  }
  for (std::size_t i = 0; i < c.reportTimes.size(); ++i) {
    require(std::isfinite(c.reportTimes[i]) && c.reportTimes[i] >= 0.0 && c.reportTimes[i] <= c.endTime,
            In::kReportTimes, "report times must lie between 0 and the end time");
    require(i == 0 || c.reportTimes[i] > c.reportTimes[i - 1], In::kReportTimes, "report times must be ascending");
  }
  const ReferenceNumerics& n = c.numerics;
  require(positive(n.refinement), In::kRefinement, "the refinement must be positive");
  require(positive(n.tolerance) && n.tolerance < 1.0, In::kNumerics, "the step tolerance must be in (0, 1)");
  require(positive(n.courantNumber) && n.courantNumber <= 1.0, In::kNumerics, "the Courant number must be in (0, 1]");
  require(std::isfinite(n.initialBreachCell) && n.initialBreachCell >= 0.0, In::kNumerics,
          "the initial breach cell must be zero (the bore) or positive");
  require(positive(n.grading), In::kNumerics, "the grading must be positive");
  require(positive(n.largestCellFraction) && n.largestCellFraction <= 1.0, In::kNumerics,
          "the largest cell fraction must be in (0, 1]");
  require(positive(n.latestBreachCellFraction) && n.latestBreachCellFraction <= 1.0, In::kNumerics,
          "the latest breach cell fraction must be in (0, 1]");
  require(std::isfinite(n.coarseningRate) && n.coarseningRate >= 0.0, In::kNumerics,
          "the coarsening rate must be zero or positive");
  require(n.maxSteps >= 0, In::kNumerics, "the bound of time steps must be zero (none) or positive");
}

std::vector<double> reportTimesOf(const ReferenceCase& c, double end) {
  if (!c.reportTimes.empty()) return c.reportTimes;
  if (c.reportTimesAtEnd) return c.reportTimesAtEnd(end);
  std::vector<double> times;
  const auto count = static_cast<long long>(std::floor(end / c.reportInterval * (1.0 + 1e-12)));
  times.reserve(static_cast<std::size_t>(count) + 1);
  for (long long k = 0; k <= count; ++k) times.push_back(std::fmin(static_cast<double>(k) * c.reportInterval, end));
  if (c.endWhenReleaseOver && times.back() < end) times.push_back(end);
  return times;
}

}  // namespace vorl::reference
