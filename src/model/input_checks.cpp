#include "model/input_checks.h"

#include <cmath>
#include <cstdio>
#include <iterator>
#include <string>

#include "core/vorl_error.h"
#include "model/vorl.h"

namespace vorl {
namespace {

// A positive inflow must lower the squared far-end pressure of branch A at
// its limit state, 2 q^2, by at least this fraction of pa^2 (64 rounding
// units): then the breach flux with inflow, which takes the difference
// P^2 - pe^2, keeps its real root. Below it the run fails (code 201) at the
// end of the blow-down.
constexpr double kResolvedPressureSquaredFraction = 0x1p-46;

bool finite(double value) { return std::isfinite(value); }
bool positive(double value) { return finite(value) && value > 0.0; }
bool notNegative(double value) { return finite(value) && value >= 0.0; }
bool fraction(double value) { return finite(value) && value >= 0.0 && value <= 1.0; }

// A limit worked out from the model, to three digits.
std::string shortNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", value);
  return text;
}

const VALVE& valveAt(const VORL& m, std::size_t i) { return m.pipeSet().valves.valves[i]; }

// The table of the model's inputs, in the order of the checks: the air, the
// gas, the pipe, the supply, the breach, the valves, the division and the
// expansion settings of the post-flash state.
constexpr unsigned kBoth = kCheckedByRun | kCheckedByExpansion;

const ModelInputCheck kModelInputs[] = {
    {VORL_E_INVALID_AMBIENT_TEMPERATURE, "ambient temperature", "K", "above 0 K", kBoth, InputSource::kModel,
     [](const VORL& m, std::size_t) { return m.ambient().temperature; },
     [](double v, const VORL&) { return positive(v); }, nullptr},
    {VORL_E_INVALID_AMBIENT_PRESSURE, "ambient pressure", "Pa", "above 0 Pa", kBoth, InputSource::kModel,
     [](const VORL& m, std::size_t) { return m.ambient().pressure; },
     [](double v, const VORL&) { return positive(v); }, nullptr},
    {VORL_E_INVALID_AMBIENT_HUMIDITY, "ambient relative humidity", "", "0 to 1", kBoth, InputSource::kModel,
     [](const VORL& m, std::size_t) { return m.ambient().relativeHumidity; },
     [](double v, const VORL&) { return fraction(v); }, nullptr},
    {VORL_E_INVALID_AIR_MOLECULAR_WEIGHT, "molecular weight of the air", "kg/kmol", "above 0 kg/kmol", kBoth, InputSource::kModel,
     [](const VORL& m, std::size_t) { return m.ambient().molecularWeight; },
     [](double v, const VORL&) { return positive(v); }, nullptr},
    {VORL_E_INVALID_GAS_TEMPERATURE, "gas temperature", "K", "above 0 K", kBoth, InputSource::kModel,
     [](const VORL& m, std::size_t) { return m.gasTemperature(); },
     [](double v, const VORL&) { return positive(v); }, nullptr},
    {VORL_E_INVALID_PIPE_LENGTH, "pipe length", "m", "above 0 m", kCheckedByRun, InputSource::kModel,
     [](const VORL& m, std::size_t) { return m.pipeSet().length; },
     [](double v, const VORL&) { return positive(v); }, nullptr},
    {VORL_E_INVALID_PIPE_DIAMETER, "pipe diameter", "m", "above 0 m", kCheckedByRun, InputSource::kModel,
     [](const VORL& m, std::size_t) { return m.pipeInterior().Diameter(); },
     [](double v, const VORL&) { return positive(v); }, nullptr},
    // The fully rough friction law needs a roughness above 0 and well below the bore.
    {VORL_E_INVALID_PIPE_ROUGHNESS, "pipe roughness", "m", "above 0 m and below the pipe diameter", kCheckedByRun, InputSource::kModel,
     [](const VORL& m, std::size_t) { return m.pipeInterior().Roughness(); },
     [](double v, const VORL& m) { return positive(v) && v < m.pipeInterior().Diameter(); },
     [](const VORL& m) { return ", here " + numberText(m.pipeInterior().Diameter()) + " m"; }},
    {VORL_E_INVALID_UPSTREAM_PRESSURE, "upstream pressure", "Pa", "above the ambient pressure", kCheckedByRun, InputSource::kModel,
     [](const VORL& m, std::size_t) { return m.pipeSet().upstreamPressure; },
     [](double v, const VORL& m) { return finite(v) && v > m.ambient().pressure; },
     [](const VORL& m) { return ", here " + numberText(m.ambient().pressure) + " Pa"; }},
    {VORL_E_INVALID_TOTAL_INFLOW, "total inflow", "kg/s", "0, or at least the smallest inflow the model resolves", kCheckedByRun,
     InputSource::kModel, [](const VORL& m, std::size_t) { return m.pipeSet().totalInflow; },
     [](double v, const VORL& m) {
       return v == 0.0 || (positive(v) && (!m.branchAExists() || v >= smallestResolvedInflow(m)));
     },
     [](const VORL& m) {
       return m.branchAExists() ? ", here " + shortNumber(smallestResolvedInflow(m)) +
                                      " kg/s: a smaller inflow's friction pressure drop is lost in rounding"
                                : std::string();
     }},
    {VORL_E_INVALID_BREACH_LOCATION, "breach location", "m", "0 to the pipe length", kCheckedByRun, InputSource::kModel,
     [](const VORL& m, std::size_t) { return m.pipeSet().effectiveBreachLocation(); },
     [](double v, const VORL& m) { return finite(v) && v >= 0.0 && v <= m.pipeSet().length; }, nullptr},
    {VORL_E_INVALID_APERTURE, "orifice aperture", "", "above 0 up to 1", kCheckedByRun, InputSource::kModel,
     [](const VORL& m, std::size_t) { return m.pipeSet().orificeAperture; },
     [](double v, const VORL&) { return positive(v) && v <= 1.0; }, nullptr},
    // A valve at the breach would cut its branch to no length at all.
    {VORL_E_INVALID_VALVE_POSITION, "position", "m", "finite and not at the breach", kCheckedByRun, InputSource::kValve,
     [](const VORL& m, std::size_t i) { return valveAt(m, i).valvePosition(); },
     [](double v, const VORL& m) { return finite(v) && v != m.pipeSet().effectiveBreachLocation(); },
     [](const VORL& m) {
       return ", here " + numberText(m.pipeSet().effectiveBreachLocation()) +
              " m: a valve exactly at the breach would leave its branch no length";
     }},
    {VORL_E_INVALID_VALVE_CLOSURE_TIME, "closure time", "s", "0 s or later", kCheckedByRun, InputSource::kValve,
     [](const VORL& m, std::size_t i) { return valveAt(m, i).valveClosureTime(); },
     [](double v, const VORL&) { return notNegative(v); }, nullptr},
    {VORL_E_INVALID_TIME_DIVISION, "time division", "", "1 or more", kCheckedByRun, InputSource::kModel,
     [](const VORL& m, std::size_t) { return static_cast<double>(m.timeDivision()); },
     [](double v, const VORL&) { return v >= 1.0; }, nullptr},
    {VORL_E_INVALID_EXPANSION_METHOD, "expansion method", "", "0, 1 or 2", kBoth, InputSource::kModel,
     [](const VORL& m, std::size_t) { return static_cast<double>(m.atmosExpansion().method()); },
     [](double v, const VORL&) { return v == 0.0 || v == 1.0 || v == 2.0; }, nullptr},
    {VORL_E_INVALID_WEBER_NUMBER, "Weber number", "", "above 0", kBoth, InputSource::kModel,
     [](const VORL& m, std::size_t) { return m.atmosExpansion().weberNumber(); },
     [](double v, const VORL&) { return positive(v); }, nullptr},
    {VORL_E_INVALID_MAX_VELOCITY, "maximum velocity", "m/s", "0 m/s or more", kBoth, InputSource::kModel,
     [](const VORL& m, std::size_t) { return m.atmosExpansion().GetMaximumVelocity(); },
     [](double v, const VORL&) { return notNegative(v); }, nullptr},
    {VORL_E_INVALID_MIN_DROP_SIZE, "minimum drop size", "m", "0 m or more", kBoth, InputSource::kModel,
     [](const VORL& m, std::size_t) { return m.atmosExpansion().minDropSize(); },
     [](double v, const VORL&) { return notNegative(v); }, nullptr},
    {VORL_E_INVALID_MAX_DROP_SIZE, "maximum drop size", "m", "0 m or more", kBoth, InputSource::kModel,
     [](const VORL& m, std::size_t) { return m.atmosExpansion().maxDropSize(); },
     [](double v, const VORL&) { return notNegative(v); }, nullptr},
    {VORL_E_INVALID_HOLE_DIAMETER, "hole diameter of the expansion", "m", "0 m or more", kBoth, InputSource::kModel,
     [](const VORL& m, std::size_t) { return m.atmosExpansion().pipeDiameter(); },
     [](double v, const VORL&) { return notNegative(v); }, nullptr},
    {VORL_E_INVALID_HOLE_APERTURE, "hole aperture of the expansion", "", "0 to 1", kBoth, InputSource::kModel,
     [](const VORL& m, std::size_t) { return m.atmosExpansion().aperture(); },
     [](double v, const VORL&) { return fraction(v); }, nullptr},
};

const ArgumentCheck kArguments[] = {
    {VORL_E_INVALID_PIPE_TIME, "pipe time", "s", "0 s or later", notNegative},
    {VORL_E_INVALID_LOOKUP_TOLERANCE, "lookup tolerance", "s", "0 s or more", notNegative},
    {VORL_E_INVALID_GRID_MODE, "output grid mode", "", "0, 1, 2 or 3",
     [](double v) { return v == 0.0 || v == 1.0 || v == 2.0 || v == 3.0; }},
    {VORL_E_INVALID_GRID_COUNT, "output grid count", "", "3 or more for an even grid (4 when it ends on the end time)",
     [](double v) { return v >= 3.0; }},
    {VORL_E_INVALID_GRID_END_TIME, "output end time", "s", "0 s or later", notNegative},
    {VORL_E_INVALID_COMPARISON_LENGTH, "comparison pipe length", "m", "above 0 m", positive},
    {VORL_E_INVALID_COMPARISON_TEMPERATURE, "comparison temperature", "K", "above 0 K", positive},
    {VORL_E_INVALID_COMPARISON_FANNING, "comparison Fanning factor", "", "above 0", positive},
    {VORL_E_INVALID_COMPARISON_DIAMETER, "comparison diameter", "m", "above 0 m", positive},
    {VORL_E_INVALID_COMPARISON_INITIAL_PRESSURE, "comparison initial pressure", "Pa", "above 0 Pa", positive},
    {VORL_E_INVALID_COMPARISON_AMBIENT_PRESSURE, "comparison ambient pressure", "Pa", "above 0 Pa", positive},
    {VORL_E_INVALID_COMPARISON_COUNT, "comparison count", "", "2 or more", [](double v) { return v >= 2.0; }},
};

// "pipe length 0 m is outside its valid range: above 0 m";
// "pipe length is not a number; valid: above 0 m".
[[noreturn]] void refuse(int code, const std::string& name, double value, const char* unit,
                         const std::string& validRange, const char* tag) {
  if (std::isnan(value)) throw VORLERROR(code, tag, name + " is not a number; valid: " + validRange);
  std::string shown = name + " " + numberText(value);
  if (unit[0] != '\0') shown += std::string(" ") + unit;
  throw VORLERROR(code, tag, shown + " is outside its valid range: " + validRange);
}

void checkRow(const ModelInputCheck& row, const VORL& model, std::size_t valve, const char* tag) {
  const double value = row.read(model, valve);
  if (row.accepts(value, model)) return;
  std::string name = row.name;
  if (row.source == InputSource::kValve) name = "valve " + std::to_string(valve + 1) + " " + name;
  std::string range = row.validRange;
  if (row.limit != nullptr) range += row.limit(model);
  refuse(row.code, name, value, row.unit, range, tag);
}

}  // namespace

std::size_t modelInputCheckCount() noexcept { return std::size(kModelInputs); }

const ModelInputCheck& modelInputCheckAt(std::size_t index) noexcept {
  return kModelInputs[index < std::size(kModelInputs) ? index : 0];
}

std::size_t argumentCheckCount() noexcept { return std::size(kArguments); }

const ArgumentCheck& argumentCheckAt(std::size_t index) noexcept {
  return kArguments[index < std::size(kArguments) ? index : 0];
}

void checkModelInputs(const VORL& model, InputUse use, const char* tag) {
  const std::size_t valves = model.pipeSet().valvesActive ? model.pipeSet().valves.valves.size() : 0;
  for (const ModelInputCheck& row : kModelInputs) {
    if ((row.uses & use) == 0) continue;
    if (row.source == InputSource::kModel) {
      checkRow(row, model, 0, tag);
    } else {
      for (std::size_t i = 0; i < valves; ++i) checkRow(row, model, i, tag);
    }
  }
}

void checkArgument(int code, double value, const char* tag) {
  for (const ArgumentCheck& row : kArguments) {
    if (row.code == code && !row.accepts(value)) refuseArgument(code, value, tag);
  }
}

void refuseArgument(int code, double value, const char* tag) {
  for (const ArgumentCheck& row : kArguments) {
    if (row.code == code) refuse(row.code, row.name, value, row.unit, row.validRange, tag);
  }
  throw VORLERROR(code, tag);
}

double smallestResolvedInflow(const VORL& model) {
  const double pa = model.ambient().pressure;
  const double branchALength = model.pipeSet().effectiveBreachLocation();
  const double a2 = model.gas()->a2();
  // q = sqrt(beta lam) a2 G, and 2 q^2 must reach the resolved fraction of pa^2.
  const double q = pa * std::sqrt(kResolvedPressureSquaredFraction / 2.0);
  const double fluxDensity = q / (std::sqrt(model.Beta() * branchALength) * a2);
  return fluxDensity * model.pipeInterior().Area();
}

}  // namespace vorl
