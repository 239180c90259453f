#include "model/inputs.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <optional>
#include <vector>

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

// The whole number a value of a count, method or flag stands for; a value
// that is none is refused (only VorlInputSet can pass one).
int wholeNumber(double value, const char* name) {
  if (!(finite(value) && value == std::floor(value) && std::fabs(value) <= INT_MAX)) {
    throw VORLERROR(VORL_E_NOT_WHOLE, "VorlInputSet",
                    std::string(name) + " " + numberText(value) + " is not a whole number");
  }
  return static_cast<int>(value);
}

void setTimeDivision(VORL& m, double value) {
  const int division = wholeNumber(value, "time division");
  if (division <= 1) {
    throw VORLERROR(VORL_E_INVALID_TIME_DIVISION, "VorlTimeDivisionSet",
                    "time division " + std::to_string(division) +
                        " is ignored (valid: 2 or more); the division stays " + std::to_string(m.timeDivision()));
  }
  m.timeDivisionSet(division);
}

void setModelChoice(VORL& m, double value) {
  if (value != 0.0 && value != 1.0) {
    throw VORLERROR(VORL_E_INVALID_MODEL_CHOICE, "VorlModelChoiceSet",
                    "model choice " + numberText(value) +
                        " is neither 0 (the fast model) nor 1 (the reference solution); it stays " +
                        std::to_string(static_cast<int>(m.modelChoice())));
  }
  m.modelChoiceSet(value == 0.0 ? ModelChoice::kFast : ModelChoice::kReference);
}

// A limit worked out from the model, to three digits.
std::string shortNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", value);
  return text;
}

const VALVE& valveAt(const VORL& m, std::size_t i) { return m.pipeSet().valves.valves[i]; }

// ---- The reference solution's settings ----

// The critical constants of any gas a pipeline carries lie well inside these
// (helium 5.2 K, 2.3e5 Pa, acentric factor -0.39; water 647 K, 2.2e7 Pa,
// 0.34); beyond them the real gas's roots are not those of a gas.
constexpr double kLeastCriticalTemperature = 1.0;       // K
constexpr double kGreatestCriticalTemperature = 1000.0;  // K
constexpr double kLeastCriticalPressure = 1e5;           // Pa
constexpr double kGreatestCriticalPressure = 1e8;        // Pa
constexpr double kLeastAcentricFactor = -0.5;
constexpr double kGreatestAcentricFactor = 1.5;
// The default grid divided by the refinement: a coarser grid than half the
// default loses the breach's first flux; a finer one than a hundredth costs
// hours to no purpose.
constexpr double kLeastRefinement = 0.5;
constexpr double kGreatestRefinement = 100.0;

bool within(double value, double least, double greatest) { return value >= least && value <= greatest; }

std::optional<reference::CriticalConstants>& hostConstants(VORL& m) {
  return m.referenceSettings().criticalConstants;
}
bool hasHostConstants(const VORL& m) { return m.referenceSettings().criticalConstants.has_value(); }

// A critical constant as the table reads it: 0 while the host gave none.
template <double reference::CriticalConstants::*Field>
double criticalConstant(const VORL& m, std::size_t) {
  const auto& constants = m.referenceSettings().criticalConstants;
  return constants ? (*constants).*Field : 0.0;
}

// One constant written alone (VorlInputSet): the others stay, and all three
// 0 are no constants at all.
template <double reference::CriticalConstants::*Field>
void writeCriticalConstant(VORL& m, double value) {
  reference::CriticalConstants next = hostConstants(m).value_or(reference::CriticalConstants{});
  next.*Field = value;
  if (next.temperature == 0.0 && next.pressure == 0.0 && next.acentricFactor == 0.0) {
    hostConstants(m).reset();
  } else {
    hostConstants(m) = next;
  }
}

// A temperature or pressure of the host's constants: in its range, or 0
// while no constants are given (a run with only some given is refused).
bool criticalAccepts(double value, double least, double greatest, const VORL& m) {
  return within(value, least, greatest) || (value == 0.0 && !hasHostConstants(m));
}

constexpr unsigned kBoth = kCheckedByRun | kCheckedByExpansion;
// The inputs of the line, the breach and the valves: the fast model's and the reference's.
constexpr unsigned kRunAndReference = kCheckedByRun | kCheckedByReference;
constexpr OneCallRange kNotInOneCall{VORL_SLOT_NONE, 0, 0.0, 0.0, false, 0, 0};
constexpr GuardRange kNotGuarded{0, 0U, "", nullptr, nullptr};

// Shorthands of the table.
constexpr OneCallRange inputsAt(int index, double minimum, double maximum, int below, int above) {
  return {VORL_SLOT_INPUTS, index, minimum, maximum, false, below, above};
}
constexpr CaseFileKey caseKey(const char* key, double defaultValue) { return {key, defaultValue, true}; }
constexpr CaseFileKey valveKey(const char* key) { return {key, 0.0, false}; }
constexpr CaseFileKey kNoCaseKey{"", 0.0, false};
// An input the one-call entry reads from inputs[index] to set, without a check of its own.
constexpr OneCallRange copiedFrom(int index) { return {VORL_SLOT_INPUTS, index, 0.0, 0.0, false, 0, 0}; }

const Input kInputs[] = {
    {InputId::kOutputMaxSteps, "output maximum steps", "", "most output times of the pipe-level table", 0.0, false,
     {VORL_SLOT_MAX_STEPS, 0, 2.0, 10000.0, false, VORL_E_RANGE_OUTPUT_STEPS_LOW, VORL_E_RANGE_OUTPUT_STEPS_HIGH},
     kNotGuarded, [](const VORL& m, std::size_t) { return static_cast<double>(m.outputTimes().outputMaxSteps); },
     [](VORL& m, double v) { m.outputTimes().outputMaxSteps = wholeNumber(v, "output maximum steps"); }, false,
     "VorlPipeOutputMaxStepsSet", caseKey("output_steps", 200.0)},
    {InputId::kAmbientTemperature, "ambient temperature", "K", "temperature of the air", 288.15, false,
     inputsAt(0, 200.0, 350.0, VORL_E_RANGE_AMBIENT_TEMPERATURE_LOW, VORL_E_RANGE_AMBIENT_TEMPERATURE_HIGH),
     {VORL_E_INVALID_AMBIENT_TEMPERATURE, kBoth, "above 0 K", [](double v, const VORL&) { return positive(v); },
      nullptr},
     [](const VORL& m, std::size_t) { return m.ambient().temperature; },
     [](VORL& m, double v) { m.ambientTemperatureSet(v); }, true,
     "VorlAmbientTemperatureSet", caseKey("ambient_temperature_K", 288.15)},
    {InputId::kAmbientPressure, "ambient pressure", "Pa", "pressure of the air", 100000.0, false,
     inputsAt(1, 50000.0, 120000.0, VORL_E_RANGE_AMBIENT_PRESSURE_LOW, VORL_E_RANGE_AMBIENT_PRESSURE_HIGH),
     {VORL_E_INVALID_AMBIENT_PRESSURE, kBoth | kCheckedByReference, "above 0 Pa",
      [](double v, const VORL&) { return positive(v); }, nullptr},
     [](const VORL& m, std::size_t) { return m.ambient().pressure; },
     [](VORL& m, double v) { m.ambientPressureSet(v); }, false,
     "VorlAmbientPressureSet", caseKey("ambient_pressure_Pa", 101325.0)},
    {InputId::kAmbientHumidity, "ambient relative humidity", "", "relative humidity of the air, 0 to 1", 0.7, false,
     inputsAt(2, 0.0, 1.0, VORL_E_RANGE_AMBIENT_HUMIDITY_LOW, VORL_E_RANGE_AMBIENT_HUMIDITY_HIGH),
     {VORL_E_INVALID_AMBIENT_HUMIDITY, kBoth, "0 to 1", [](double v, const VORL&) { return fraction(v); }, nullptr},
     [](const VORL& m, std::size_t) { return m.ambient().relativeHumidity; },
     [](VORL& m, double v) { m.ambientHumiditySet(v); }, false,
     "VorlAmbientHumiditySet", caseKey("ambient_humidity", 0.7)},
    {InputId::kAirMolecularWeight, "molecular weight of the air", "kg/kmol", "molar mass of the air", 28.966, false,
     inputsAt(10, 10.0, 100.0, VORL_E_RANGE_AIR_MOLECULAR_WEIGHT_LOW, VORL_E_RANGE_AIR_MOLECULAR_WEIGHT_HIGH),
     {VORL_E_INVALID_AIR_MOLECULAR_WEIGHT, kBoth, "above 0 kg/kmol",
      [](double v, const VORL&) { return positive(v); }, nullptr},
     [](const VORL& m, std::size_t) { return m.ambient().molecularWeight; },
     [](VORL& m, double v) { m.ambientMolecularWeightSet(v); }, false,
     "VorlAmbientMolecularWeightSet", caseKey("air_molar_mass_kg_per_kmol", 28.966)},
    {InputId::kPipeDiameter, "pipe diameter", "m", "bore diameter", 0.154, false,
     inputsAt(8, 0.01, 2.0, VORL_E_RANGE_PIPE_DIAMETER_LOW, VORL_E_RANGE_PIPE_DIAMETER_HIGH),
     {VORL_E_INVALID_PIPE_DIAMETER, kRunAndReference, "above 0 m", [](double v, const VORL&) { return positive(v); },
      nullptr},
     [](const VORL& m, std::size_t) { return m.pipeInterior().Diameter(); },
     [](VORL& m, double v) { m.pipeDiameterSet(v); }, true, "VorlPipeDiameterSet", caseKey("pipe_diameter_m", 0.5)},
    // The fully rough friction law needs a roughness above 0 and well below the bore.
    {InputId::kPipeRoughness, "pipe roughness", "m", "wall roughness", PIPEINTERIOR::kDefaultRoughness, false,
     inputsAt(9, 1e-8, 0.001, VORL_E_RANGE_PIPE_ROUGHNESS_LOW, VORL_E_RANGE_PIPE_ROUGHNESS_HIGH),
     {VORL_E_INVALID_PIPE_ROUGHNESS, kRunAndReference, "above 0 m and below the pipe diameter",
      [](double v, const VORL& m) { return positive(v) && v < m.pipeInterior().Diameter(); },
      [](const VORL& m) { return ", here " + numberText(m.pipeInterior().Diameter()) + " m"; }},
     [](const VORL& m, std::size_t) { return m.pipeInterior().Roughness(); },
     [](VORL& m, double v) { m.pipeRoughnessSet(v); }, true, "VorlPipeRoughnessSet", caseKey("pipe_roughness_m", 5e-5)},
    {InputId::kPipeLength, "pipe length", "m", "length of the pipeline", 100.0, false,
     inputsAt(3, 10.0, 2000000.0, VORL_E_RANGE_PIPE_LENGTH_LOW, VORL_E_RANGE_PIPE_LENGTH_HIGH),
     {VORL_E_INVALID_PIPE_LENGTH, kRunAndReference, "above 0 m", [](double v, const VORL&) { return positive(v); },
      nullptr},
     [](const VORL& m, std::size_t) { return m.pipeSet().length; },
     [](VORL& m, double v) { m.pipeLengthSet(v); }, true, "VorlPipeLengthSet", caseKey("pipe_length_m", 100000.0)},
    {InputId::kTotalInflow, "total inflow", "kg/s", "mass rate fed by the supply into the upstream end", 0.0, false,
     inputsAt(4, 0.0, 100000.0, VORL_E_RANGE_TOTAL_INFLOW_LOW, VORL_E_RANGE_TOTAL_INFLOW_HIGH),
     {VORL_E_INVALID_TOTAL_INFLOW, kRunAndReference, "0, or at least the smallest inflow the model resolves",
      [](double v, const VORL& m) {
        return v == 0.0 || (positive(v) && (!m.branchAExists() || v >= smallestResolvedInflow(m)));
      },
      [](const VORL& m) {
        return m.branchAExists() ? ", here " + shortNumber(smallestResolvedInflow(m)) +
                                       " kg/s: a smaller inflow's friction pressure drop is lost in rounding"
                                 : std::string();
      }},
     [](const VORL& m, std::size_t) { return m.pipeSet().totalInflow; },
     [](VORL& m, double v) { m.totalInflowSet(v); }, true, "VorlTotalInflowSet", caseKey("inflow_kg_per_s", 20.0)},
    {InputId::kUpstreamPressure, "upstream pressure", "Pa", "pressure at the upstream (supply) end before the breach",
     5.0e6, false, inputsAt(5, 50000.0, 1e9, VORL_E_RANGE_UPSTREAM_PRESSURE_LOW, VORL_E_RANGE_UPSTREAM_PRESSURE_HIGH),
     {VORL_E_INVALID_UPSTREAM_PRESSURE, kRunAndReference, "above the ambient pressure",
      [](double v, const VORL& m) { return finite(v) && v > m.ambient().pressure; },
      [](const VORL& m) { return ", here " + numberText(m.ambient().pressure) + " Pa"; }},
     [](const VORL& m, std::size_t) { return m.pipeSet().upstreamPressure; },
     [](VORL& m, double v) { m.upstreamPressureSet(v); }, true,
     "VorlUpstreamPressureSet", caseKey("upstream_pressure_Pa", 7e6)},
    {InputId::kGasTemperature, "gas temperature", "K", "temperature of the gas in the pipe (isothermal flow)", 288.15,
     false, inputsAt(15, 150.0, 350.0, VORL_E_RANGE_GAS_TEMPERATURE_LOW, VORL_E_RANGE_GAS_TEMPERATURE_HIGH),
     {VORL_E_INVALID_GAS_TEMPERATURE, kBoth | kCheckedByReference, "above 0 K",
      [](double v, const VORL&) { return positive(v); }, nullptr},
     [](const VORL& m, std::size_t) { return m.gasTemperature(); },
     [](VORL& m, double v) { m.gasTemperatureSet(v); }, true,
     "VorlGasTemperatureSet", caseKey("gas_temperature_K", 288.15)},
    {InputId::kBreachLocation, "breach location", "m", "distance of the breach from the upstream end", 100.0, false,
     inputsAt(6, 1.0, 1000000.0, VORL_E_RANGE_BREACH_LOCATION_LOW, VORL_E_RANGE_BREACH_LOCATION_HIGH),
     {VORL_E_INVALID_BREACH_LOCATION, kRunAndReference, "0 to the pipe length",
      [](double v, const VORL& m) { return finite(v) && v >= 0.0 && v <= m.pipeSet().length; }, nullptr},
     [](const VORL& m, std::size_t) { return m.pipeSet().effectiveBreachLocation(); },
     [](VORL& m, double v) { m.breachLocationSet(v); }, false,
     "VorlPipeBreachLocationSet", caseKey("breach_location_m", 30000.0)},
    {InputId::kAperture, "orifice aperture", "", "orifice area as a fraction of the bore area (1: full bore rupture)",
     1.0, false, inputsAt(7, 0.2, 1.0, VORL_E_RANGE_APERTURE_LOW, VORL_E_RANGE_APERTURE_HIGH),
     {VORL_E_INVALID_APERTURE, kRunAndReference, "above 0 up to 1",
      [](double v, const VORL&) { return positive(v) && v <= 1.0; }, nullptr},
     [](const VORL& m, std::size_t) { return m.pipeSet().orificeAperture; },
     [](VORL& m, double v) { m.orificeApertureSet(v); }, false, "VorlOrificeApertureSet", caseKey("aperture", 1.0)},
    {InputId::kValvesActive, "valves active flag", "",
     "the valves shut at their closure times (1) or stay open (0)", 0.0, false,
     {VORL_SLOT_FLAGS, 0, 0.0, 1.0, false, VORL_E_RANGE_VALVES_ACTIVE, VORL_E_RANGE_VALVES_ACTIVE}, kNotGuarded,
     [](const VORL& m, std::size_t) { return m.pipeSet().valvesActive ? 1.0 : 0.0; },
     [](VORL& m, double v) { m.pipeSet().valvesActive = v != 0.0; }, false,
     "VorlValvesActivate", caseKey("valves_active", 1.0)},
    {InputId::kExpansionMethod, "expansion method", "",
     "expansion to the atmosphere: 0 mass, momentum and energy; 1 isentropic; 2 momentum at constant temperature",
     0.0, false,
     {VORL_SLOT_FLAGS, 1, 0.0, 2.0, false, VORL_E_RANGE_EXPANSION_METHOD, VORL_E_RANGE_EXPANSION_METHOD},
     {VORL_E_INVALID_EXPANSION_METHOD, kBoth, "0, 1 or 2",
      [](double v, const VORL&) { return v == 0.0 || v == 1.0 || v == 2.0; }, nullptr},
     [](const VORL& m, std::size_t) { return static_cast<double>(m.atmosExpansion().method()); },
     [](VORL& m, double v) { m.atmosExpansion().ExpMethodSet(wholeNumber(v, "expansion method")); }, false,
     "VorlAtmosExpanMethodSet", caseKey("expansion_method", 0.0)},
    {InputId::kWeberNumber, "Weber number", "", "critical Weber number of drop break-up", 12.5, false,
     inputsAt(11, 1.0, 50.0, VORL_E_RANGE_WEBER_NUMBER_LOW, VORL_E_RANGE_WEBER_NUMBER_HIGH),
     {VORL_E_INVALID_WEBER_NUMBER, kBoth, "above 0", [](double v, const VORL&) { return positive(v); }, nullptr},
     [](const VORL& m, std::size_t) { return m.atmosExpansion().weberNumber(); },
     [](VORL& m, double v) { m.atmosExpansion().WeberNumSet(v); }, false,
     "VorlAtmosExpanWeNumSet", caseKey("weber_number", 12.5)},
    {InputId::kMaxVelocity, "maximum velocity", "m/s", "outflow velocity above which the expansion warns", 1000.0,
     false, inputsAt(12, 0.01, 1000.0, VORL_E_RANGE_MAX_VELOCITY_LOW, VORL_E_RANGE_MAX_VELOCITY_HIGH),
     {VORL_E_INVALID_MAX_VELOCITY, kBoth, "0 m/s or more", [](double v, const VORL&) { return notNegative(v); },
      nullptr},
     [](const VORL& m, std::size_t) { return m.atmosExpansion().GetMaximumVelocity(); },
     [](VORL& m, double v) { m.atmosExpansion().MaxVelocitySet(v); }, false,
     "VorlAtmosExpanMaxVelSet", caseKey("max_velocity_m_per_s", 1000.0)},
    {InputId::kMinDropSize, "minimum drop size", "m", "smallest drop size", 1e-6, false,
     inputsAt(13, 0.0, 0.01, VORL_E_RANGE_MIN_DROP_SIZE_LOW, VORL_E_RANGE_MIN_DROP_SIZE_HIGH),
     {VORL_E_INVALID_MIN_DROP_SIZE, kBoth, "0 m or more", [](double v, const VORL&) { return notNegative(v); },
      nullptr},
     [](const VORL& m, std::size_t) { return m.atmosExpansion().minDropSize(); },
     [](VORL& m, double v) { m.atmosExpansion().MinDropSizeSet(v); }, false,
     "VorlAtmosExpanMinDropSet", caseKey("min_drop_size_m", 1e-6)},
    {InputId::kMaxDropSize, "maximum drop size", "m", "largest drop size", 0.01, false,
     inputsAt(14, 0.0, 1.0, VORL_E_RANGE_MAX_DROP_SIZE_LOW, VORL_E_RANGE_MAX_DROP_SIZE_HIGH),
     {VORL_E_INVALID_MAX_DROP_SIZE, kBoth, "0 m or more", [](double v, const VORL&) { return notNegative(v); },
      nullptr},
     [](const VORL& m, std::size_t) { return m.atmosExpansion().maxDropSize(); },
     [](VORL& m, double v) { m.atmosExpansion().MaxDropSizeSet(v); }, false,
     "VorlAtmosExpanMaxDropSet", caseKey("max_drop_size_m", 0.01)},
    // The hole of the expansion: the one-call entry takes the pipe's bore and aperture.
    {InputId::kHoleDiameter, "hole diameter of the expansion", "m", "pipe diameter the expansion's hole is cut in",
     0.154, false, copiedFrom(8),
     {VORL_E_INVALID_HOLE_DIAMETER, kBoth, "0 m or more", [](double v, const VORL&) { return notNegative(v); },
      nullptr},
     [](const VORL& m, std::size_t) { return m.atmosExpansion().pipeDiameter(); },
     [](VORL& m, double v) { m.atmosExpansion().HoleDiameterSet(v, m.atmosExpansion().aperture()); }, false,
     "VorlAtmosExpanHoleSizeSet", kNoCaseKey},
    {InputId::kHoleAperture, "hole aperture of the expansion", "", "the hole's area as a fraction of that bore", 1.0,
     false, copiedFrom(7),
     {VORL_E_INVALID_HOLE_APERTURE, kBoth, "0 to 1", [](double v, const VORL&) { return fraction(v); }, nullptr},
     [](const VORL& m, std::size_t) { return m.atmosExpansion().aperture(); },
     [](VORL& m, double v) { m.atmosExpansion().HoleDiameterSet(m.atmosExpansion().pipeDiameter(), v); }, false,
     "VorlAtmosExpanHoleSizeSet", kNoCaseKey},
    {InputId::kPhaseFlag, "phase flag of the expansion", "",
     "phase at the exit: 1 vapour (any other value counts as 1)",
     1.0, false, kNotInOneCall, kNotGuarded,
     [](const VORL& m, std::size_t) { return static_cast<double>(m.atmosExpansion().phaseFlag()); },
     [](VORL& m, double v) { m.atmosExpansion().InitialPhaseFlagSet(wholeNumber(v, "phase flag")); }, false,
     "VorlAtmosExpanPhaseFlagSet", kNoCaseKey},
    // A valve at the breach would cut its branch to no length at all.
    {InputId::kValvePosition, "valve position", "m", "distance of a valve from the upstream end", 0.0, true,
     {VORL_SLOT_VALVE_POSITIONS, 0, 0.0, 1000000.0, false, VORL_E_RANGE_VALVE_POSITION_LOW,
      VORL_E_RANGE_VALVE_POSITION_HIGH},
     {VORL_E_INVALID_VALVE_POSITION, kRunAndReference, "finite and not at the breach",
      [](double v, const VORL& m) { return finite(v) && v != m.pipeSet().effectiveBreachLocation(); },
      [](const VORL& m) {
        return ", here " + numberText(m.pipeSet().effectiveBreachLocation()) +
               " m: a valve exactly at the breach would leave its branch no length";
      }},
     [](const VORL& m, std::size_t i) { return valveAt(m, i).valvePosition(); }, nullptr, false,
     "VorlValveAdd", valveKey("position_m")},
    {InputId::kValveClosureTime, "valve closure time", "s", "time after the breach at which a valve shuts", 0.0, true,
     {VORL_SLOT_VALVE_CLOSURE_TIMES, 0, 0.0, 100000.0, true, VORL_E_RANGE_VALVE_CLOSURE_TIME_LOW,
      VORL_E_RANGE_VALVE_CLOSURE_TIME_HIGH},
     {VORL_E_INVALID_VALVE_CLOSURE_TIME, kRunAndReference, "0 s or later",
      [](double v, const VORL&) { return notNegative(v); }, nullptr},
     [](const VORL& m, std::size_t i) { return valveAt(m, i).valveClosureTime(); }, nullptr, false,
     "VorlValveAdd", valveKey("closure_time_s")},
    {InputId::kTimeDivision, "time division", "", "number of divisions of the run (finer steps for more)", 100.0,
     false,
     {VORL_SLOT_TIME_DIVISION, 0, 2.0, 1000.0, false, VORL_E_RANGE_TIME_DIVISION_LOW, VORL_E_RANGE_TIME_DIVISION_HIGH},
     {VORL_E_INVALID_TIME_DIVISION, kCheckedByRun, "1 or more", [](double v, const VORL&) { return v >= 1.0; },
      nullptr},
     [](const VORL& m, std::size_t) { return static_cast<double>(m.timeDivision()); }, setTimeDivision, false,
     "VorlTimeDivisionSet", caseKey("time_division", 100.0)},
    {InputId::kModelChoice, "model", "",
     "the model whose answer the results give: 0 the fast model (the published one), 1 the reference solution of "
     "the full equations",
     0.0, false, kNotInOneCall, kNotGuarded,
     [](const VORL& m, std::size_t) { return static_cast<double>(m.modelChoice()); }, setModelChoice, false,
     "VorlModelChoiceSet", caseKey("model", 0.0)},
    // Stored as given; defining the output grid refuses it.
    {InputId::kOutputEndTime, "output end time", "s",
     "end time of the output grid: a branch fed without end is carried to it (0: none)", 0.0, false, kNotInOneCall,
     {VORL_E_INVALID_GRID_END_TIME, 0U, "0 s or later", [](double v, const VORL&) { return notNegative(v); },
      nullptr},
     [](const VORL& m, std::size_t) { return m.outputTimes().tmax; },
     [](VORL& m, double v) { m.outputTimes().tmax = v; }, false, "VorlPipeOutputTmaxSet", kNoCaseKey},
    {InputId::kReferenceRealGas, "reference real gas flag", "",
     "the reference solution takes the Peng-Robinson gas (1) or the ideal gas (0)", 0.0, false, kNotInOneCall,
     kNotGuarded, [](const VORL& m, std::size_t) { return m.referenceSettings().realGas ? 1.0 : 0.0; },
     [](VORL& m, double v) { m.referenceSettings().realGas = v != 0.0; }, false, "VorlReferenceRealGasSet",
     kNoCaseKey},
    {InputId::kCriticalTemperature, "critical temperature", "K",
     "the real gas's critical temperature, given by the host (0: the material's own)", 0.0, false, kNotInOneCall,
     {VORL_E_INVALID_CRITICAL_TEMPERATURE, kCheckedWhenSet | kCheckedByReference,
      "1 to 1000 K (0 while no constants are given)",
      [](double v, const VORL& m) {
        return criticalAccepts(v, kLeastCriticalTemperature, kGreatestCriticalTemperature, m);
      },
      nullptr},
     criticalConstant<&reference::CriticalConstants::temperature>,
     writeCriticalConstant<&reference::CriticalConstants::temperature>, false, "VorlReferenceCriticalSet",
     kNoCaseKey},
    {InputId::kCriticalPressure, "critical pressure", "Pa",
     "the real gas's critical pressure, given by the host (0: the material's own)", 0.0, false, kNotInOneCall,
     {VORL_E_INVALID_CRITICAL_PRESSURE, kCheckedWhenSet | kCheckedByReference,
      "1e5 to 1e8 Pa (0 while no constants are given)",
      [](double v, const VORL& m) { return criticalAccepts(v, kLeastCriticalPressure, kGreatestCriticalPressure, m); },
      nullptr},
     criticalConstant<&reference::CriticalConstants::pressure>,
     writeCriticalConstant<&reference::CriticalConstants::pressure>, false, "VorlReferenceCriticalSet", kNoCaseKey},
    {InputId::kAcentricFactor, "acentric factor", "", "the real gas's acentric factor, given by the host", 0.0, false,
     kNotInOneCall,
     {VORL_E_INVALID_ACENTRIC_FACTOR, kCheckedWhenSet | kCheckedByReference, "-0.5 to 1.5",
      [](double v, const VORL&) { return within(v, kLeastAcentricFactor, kGreatestAcentricFactor); }, nullptr},
     criticalConstant<&reference::CriticalConstants::acentricFactor>,
     writeCriticalConstant<&reference::CriticalConstants::acentricFactor>, false, "VorlReferenceCriticalSet",
     kNoCaseKey},
    {InputId::kReferenceEndTime, "reference end time", "s",
     "time after the breach the reference solution runs to (0: the default rule)", 0.0, false, kNotInOneCall,
     {VORL_E_INVALID_REFERENCE_END_TIME, kCheckedWhenSet, "0 s (the default) or above 0 up to 1e8 s",
      [](double v, const VORL&) { return v == 0.0 || (v > 0.0 && v <= kLongestReferenceEndTime); }, nullptr},
     [](const VORL& m, std::size_t) { return m.referenceSettings().endTime; },
     [](VORL& m, double v) { m.referenceSettings().endTime = v; }, false, "VorlReferenceEndTimeSet", kNoCaseKey},
    {InputId::kReferenceRefinement, "reference refinement", "",
     "the reference's cell sizes divided by it: 2 gives a grid twice as fine", 1.0, false, kNotInOneCall,
     {VORL_E_INVALID_REFERENCE_REFINEMENT, kCheckedWhenSet, "0.5 to 100, and a grid of at most 1e7 cells",
      [](double v, const VORL&) { return within(v, kLeastRefinement, kGreatestRefinement); }, nullptr},
     [](const VORL& m, std::size_t) { return m.referenceSettings().refinement; },
     [](VORL& m, double v) { m.referenceSettings().refinement = v; }, false, "VorlReferenceRefinementSet",
     kNoCaseKey},
    // A line under the sea: the outflow leaves against the sea's pressure,
    // which the one-call entry's ambient pressure (0.5 to 1.2 bar) cannot hold.
    {InputId::kBackPressure, "back pressure", "Pa",
     "pressure the outflow leaves against, in place of the ambient pressure (0: none)", 0.0, false, kNotInOneCall,
     {VORL_E_INVALID_BACK_PRESSURE, kBoth | kCheckedByReference, "0 (none), or above 0 and below the upstream pressure",
      [](double v, const VORL& m) { return v == 0.0 || (positive(v) && v < m.pipeSet().upstreamPressure); },
      [](const VORL& m) { return ", here " + numberText(m.pipeSet().upstreamPressure) + " Pa"; }},
     [](const VORL& m, std::size_t) { return m.backPressure(); },
     [](VORL& m, double v) { m.backPressureSet(v); }, false, "VorlBackPressureSet", caseKey("back_pressure_Pa", 0.0)},
    {InputId::kWaterDepth, "water depth", "m",
     "depth of the breach under the sea: the outflow leaves against the ambient pressure plus the seawater's "
     "density x 9.80665 m/s2 x depth (0: not under water)",
     0.0, false, kNotInOneCall,
     {VORL_E_INVALID_WATER_DEPTH, kBoth | kCheckedByReference, "0 m or more, the sea's pressure there below the upstream pressure",
      [](double v, const VORL& m) {
        return v == 0.0 || (positive(v) && (m.backPressure() > 0.0 || m.outlet().pressure < m.pipeSet().upstreamPressure));
      },
      [](const VORL& m) {
        return ", here the sea's pressure is " + numberText(m.outlet().pressure) + " Pa and the upstream pressure " +
               numberText(m.pipeSet().upstreamPressure) + " Pa";
      }},
     [](const VORL& m, std::size_t) { return m.waterDepth(); },
     [](VORL& m, double v) { m.waterDepthSet(v); }, false, "VorlWaterDepthSet", caseKey("water_depth_m", 0.0)},
    {InputId::kSeawaterDensity, "seawater density", "kg/m3",
     "density of the sea over the breach (1025 kg/m3: seawater of 35 g/kg salinity near 10 C at the surface)", 1025.0,
     false, kNotInOneCall,
     {VORL_E_INVALID_SEAWATER_DENSITY, kBoth | kCheckedByReference, "above 0 kg/m3",
      [](double v, const VORL&) { return positive(v); }, nullptr},
     [](const VORL& m, std::size_t) { return m.seawaterDensity(); },
     [](VORL& m, double v) { m.seawaterDensitySet(v); }, false, "VorlSeawaterDensitySet",
     caseKey("seawater_density_kg_per_m3", 1025.0)},
    // The line as operated: the reference solution's supply; the fast model
    // keeps a constant inflow and refuses the others at its run (479).
    {InputId::kSupplyMode, "supply mode", "",
     "the supply after the breach: 0 constant inflow, 1 holding the upstream pressure (a compressor station; the "
     "reference solution only)",
     0.0, false, kNotInOneCall,
     {VORL_E_INVALID_SUPPLY_MODE, kCheckedWhenSet, "0 or 1", [](double v, const VORL&) { return v == 0.0 || v == 1.0; },
      nullptr},
     [](const VORL& m, std::size_t) { return static_cast<double>(m.referenceSettings().supplyMode); },
     [](VORL& m, double v) { m.referenceSettings().supplyMode = wholeNumber(v, "supply mode"); }, false,
     "VorlSupplyModeSet", caseKey("supply", 0.0)},
    {InputId::kSupplyTripTime, "supply trip time", "s",
     "time after the breach at which the supply trips to nothing, a closed end (0: never; the reference solution "
     "only)",
     0.0, false, kNotInOneCall,
     {VORL_E_INVALID_SUPPLY_TRIP_TIME, kCheckedWhenSet, "0 s (never) or later",
      [](double v, const VORL&) { return notNegative(v); }, nullptr},
     [](const VORL& m, std::size_t) { return m.referenceSettings().supplyTripTime; },
     [](VORL& m, double v) { m.referenceSettings().supplyTripTime = v; }, false, "VorlSupplyTripTimeSet",
     caseKey("supply_trip_time_s", 0.0)},
    // The valves as operated, one for the line: the breach is detected once,
    // and the valves of a line share their actuators' class; a valve that
    // moves later than the others says so by its closure time. The fast
    // model shuts its valves at an instant and refuses both at its run (483).
    {InputId::kValveDetectionDelay, "valve detection delay", "s",
     "time from a valve's closure time to the start of its motion: the breach's detection (each valve starts to "
     "shut at its closure time plus this delay; the reference solution only)",
     0.0, false, kNotInOneCall,
     {VORL_E_INVALID_VALVE_DETECTION_DELAY, kCheckedWhenSet, "0 s or more",
      [](double v, const VORL&) { return notNegative(v); }, nullptr},
     [](const VORL& m, std::size_t) { return m.referenceSettings().valveDetectionDelay; },
     [](VORL& m, double v) { m.referenceSettings().valveDetectionDelay = v; }, false,
     "VorlValveDetectionDelaySet", caseKey("valve_detection_delay_s", 0.0)},
    {InputId::kValveClosingDuration, "valve closing duration", "s",
     "time a valve takes to shut once it starts to move, its open area falling linearly in time from the bore to "
     "nothing (0: at once; the reference solution only)",
     0.0, false, kNotInOneCall,
     {VORL_E_INVALID_VALVE_CLOSING_DURATION, kCheckedWhenSet, "0 s or more",
      [](double v, const VORL&) { return notNegative(v); }, nullptr},
     [](const VORL& m, std::size_t) { return m.referenceSettings().valveClosingDuration; },
     [](VORL& m, double v) { m.referenceSettings().valveClosingDuration = v; }, false,
     "VorlValveClosingDurationSet", caseKey("valve_closing_duration_s", 0.0)},
};

static_assert(std::size(kInputs) == static_cast<std::size_t>(InputId::kCount), "one row per input id");

// The rows a check walks, in the order of its codes.
template <class Code>
std::vector<const Input*> rowsByCode(Code code) {
  std::vector<const Input*> rows;
  for (const Input& row : kInputs) {
    if (code(row) != 0) rows.push_back(&row);
  }
  std::stable_sort(rows.begin(), rows.end(), [&](const Input* a, const Input* b) { return code(*a) < code(*b); });
  return rows;
}

const std::vector<const Input*>& oneCallOrder() {
  static const std::vector<const Input*> rows = rowsByCode([](const Input& row) { return row.oneCall.belowCode; });
  return rows;
}

const std::vector<const Input*>& guardOrder() {
  static const std::vector<const Input*> rows = rowsByCode([](const Input& row) { return row.guard.code; });
  return rows;
}

// ---- Messages ----

std::string withUnit(double value, const char* unit) {
  std::string text = plainNumber(value);
  if (unit[0] != '\0') text += std::string(" ") + unit;
  return text;
}

// A valve's input names its valve, counted from 1: "valve 2 closure time".
std::string subjectOf(const Input& row, std::size_t valve) {
  const std::string name = row.name;
  if (!row.perValve) return name;
  const std::string prefix = "valve ";
  return prefix + std::to_string(valve + 1) + " " + name.substr(prefix.size());
}

// ---- The one-call entry's check ----

constexpr const char* kOneCallTag = "VorlCheckInput";

// The fast model's smallest aperture is its own: the reference takes smaller holes.
std::string noteOf(const Input& row, int code) {
  if (row.id != InputId::kAperture || code != row.oneCall.belowCode) return "";
  return "; the reference solution (model reference) takes smaller holes, down to " +
         plainNumber(kReferenceSmallestHole * 1000.0) + " mm";
}

[[noreturn]] void failOneCall(int code, const Input& row, std::size_t valve, double value,
                              const std::string& problem) {
  const std::string subject = subjectOf(row, valve);
  const std::string shown = std::isnan(value) ? subject : subject + " " + withUnit(value, row.unit);
  throw VORLERROR(code, kOneCallTag, shown + " " + problem + " (allowed " + rangeText(row) + ")" + noteOf(row, code));
}

// Strict bounds: the bounds themselves pass (but an excluded minimum), and
// the lower check is written so that a value that is not a number fails it.
void checkOneCallValue(const Input& row, double value, std::size_t valve) {
  const OneCallRange& range = row.oneCall;
  if (std::isnan(value)) failOneCall(range.belowCode, row, valve, value, "is not a number");
  if (range.minimumExcluded ? !(value > range.minimum) : !(value >= range.minimum)) {
    const char* relation = range.minimumExcluded ? "is not above " : "is below ";
    failOneCall(range.belowCode, row, valve, value, relation + withUnit(range.minimum, row.unit));
  }
  if (value > range.maximum) {
    failOneCall(range.aboveCode, row, valve, value, "is above " + withUnit(range.maximum, row.unit));
  }
}

void requirePointer(const void* pointer, const char* what) {
  if (pointer == nullptr) {
    throw VORLERROR(VORL_E_MISSING_DATA, kOneCallTag, std::string("the ") + what + " pointer is null");
  }
}

// ---- The run's guard ----

void checkGuardValue(const Input& row, double value, const VORL& model, std::size_t valve, const char* tag) {
  if (row.guard.accepts(value, model)) return;
  std::string range = row.guard.validRange;
  if (row.guard.limit != nullptr) range += row.guard.limit(model);
  refuseValue(row.guard.code, subjectOf(row, valve), value, row.unit, range, tag);
}

void checkGuardRow(const Input& row, const VORL& model, std::size_t valve, const char* tag) {
  checkGuardValue(row, row.read(model, valve), model, valve, tag);
}

}  // namespace

std::string plainNumber(double value) {
  if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", value);
    return text;
  }
  return numberText(value);
}

std::size_t inputCount() noexcept { return std::size(kInputs); }

const Input& inputAt(std::size_t index) noexcept { return kInputs[index < std::size(kInputs) ? index : 0]; }

const Input& input(InputId id) noexcept { return inputAt(static_cast<std::size_t>(id)); }

const Input* findInput(const std::string& name) noexcept {
  for (const Input& row : kInputs) {
    if (name == row.name) return &row;
  }
  return nullptr;
}

const Input* findInputByCaseKey(const std::string& key) noexcept {
  for (const Input& row : kInputs) {
    if (row.caseFile.key[0] != '\0' && key == row.caseFile.key) return &row;
  }
  return nullptr;
}

double caseDefault(const Input& row) noexcept {
  return row.caseFile.hasDefault ? row.caseFile.defaultValue : row.defaultValue;
}

std::string rangeText(const Input& row) {
  const OneCallRange& range = row.oneCall;
  if (range.belowCode == 0) return row.guard.validRange;
  const std::string upper = withUnit(range.maximum, row.unit);
  if (range.minimumExcluded) return "above " + plainNumber(range.minimum) + " up to " + upper;
  return plainNumber(range.minimum) + " to " + upper;
}

void applyInputDefaults(VORL& model) {
  for (const Input& row : kInputs) {
    if (row.write != nullptr && row.id != InputId::kBreachLocation) row.write(model, row.defaultValue);
  }
}

int oneCallSlotSize(int slot) noexcept {
  if (slot == VORL_SLOT_TIME_DIVISION || slot == VORL_SLOT_MAX_STEPS) return 1;
  if (slot != VORL_SLOT_FLAGS && slot != VORL_SLOT_INPUTS) return 0;
  int size = 0;
  for (std::size_t i = 0; i < inputCount(); ++i) {
    const Input& row = inputAt(i);
    if (row.oneCall.slot == slot) size = std::max(size, row.oneCall.index + 1);
  }
  return size;
}

double oneCallValue(const Input& row, const OneCallArrays& arrays, int valve) noexcept {
  switch (row.oneCall.slot) {
    case VORL_SLOT_FLAGS: return arrays.flags[row.oneCall.index];
    case VORL_SLOT_INPUTS: return arrays.inputs[row.oneCall.index];
    case VORL_SLOT_VALVE_POSITIONS: return arrays.valveFirst[valve];
    case VORL_SLOT_VALVE_CLOSURE_TIMES: return arrays.valveSecond[valve];
    case VORL_SLOT_TIME_DIVISION: return *arrays.timeDivision;
    case VORL_SLOT_MAX_STEPS: return *arrays.maxSteps;
    case VORL_SLOT_NONE: break;
  }
  return 0.0;
}

void requireOneCallArrays(const OneCallArrays& arrays) {
  requirePointer(arrays.flags, "flags");
  requirePointer(arrays.inputs, "inputs");
  requirePointer(arrays.timeDivision, "time division");
  requirePointer(arrays.maxSteps, "maximum steps");
  requirePointer(arrays.valveCount, "valve count");
  if (*arrays.valveCount > 0) {
    requirePointer(arrays.valveFirst, "valve positions");
    requirePointer(arrays.valveSecond, "valve closure times");
  }
}

void checkOneCallInputs(const OneCallArrays& arrays, int* failingValve) {
  requireOneCallArrays(arrays);
  const int valves = *arrays.valveCount;
  if (valves < 0) {
    throw VORLERROR(VORL_E_RANGE_VALVE_COUNT, kOneCallTag,
                    "valve count " + std::to_string(valves) + " is below 0 (allowed 0 or more)");
  }
  const std::vector<const Input*>& rows = oneCallOrder();
  for (std::size_t i = 0; i < rows.size();) {
    if (!rows[i]->perValve) {
      checkOneCallValue(*rows[i], oneCallValue(*rows[i], arrays, 0), 0);
      ++i;
      continue;
    }
    // All checks of one valve before the next valve.
    std::size_t groupEnd = i;
    while (groupEnd < rows.size() && rows[groupEnd]->perValve) ++groupEnd;
    for (int valve = 0; valve < valves; ++valve) {
      if (failingValve != nullptr) *failingValve = valve;
      for (std::size_t j = i; j < groupEnd; ++j) {
        checkOneCallValue(*rows[j], oneCallValue(*rows[j], arrays, valve), static_cast<std::size_t>(valve));
      }
    }
    i = groupEnd;
    if (failingValve != nullptr) *failingValve = -1;
  }
}

void checkModelInputs(const VORL& model, InputUse use, const char* tag) {
  const std::size_t valves = model.pipeSet().valvesActive ? model.pipeSet().valves.valves.size() : 0;
  for (const Input* row : guardOrder()) {
    if ((row->guard.uses & use) == 0) continue;
    if (!row->perValve) {
      checkGuardRow(*row, model, 0, tag);
    } else {
      for (std::size_t i = 0; i < valves; ++i) checkGuardRow(*row, model, i, tag);
    }
  }
}

void checkInputValue(const Input& row, double value, const VORL& model, const char* tag) {
  if (row.guard.code != 0) checkGuardValue(row, value, model, 0, tag);
}

void setCriticalConstants(VORL& model, double temperature, double pressure, double acentricFactor,
                          const char* tag) {
  if (temperature == 0.0 && pressure == 0.0 && acentricFactor == 0.0) {
    hostConstants(model).reset();
    return;
  }
  // Checked as constants given, so that a 0 among them is refused.
  const std::optional<reference::CriticalConstants> before = hostConstants(model);
  hostConstants(model) = reference::CriticalConstants{temperature, pressure, acentricFactor};
  try {
    checkGuardRow(input(InputId::kCriticalTemperature), model, 0, tag);
    checkGuardRow(input(InputId::kCriticalPressure), model, 0, tag);
    checkGuardRow(input(InputId::kAcentricFactor), model, 0, tag);
  } catch (...) {
    hostConstants(model) = before;
    throw;
  }
}

// "pipe length 0 m is outside its valid range: above 0 m";
// "pipe length is not a number; valid: above 0 m".
void refuseValue(int code, const std::string& name, double value, const char* unit, const std::string& validRange,
                 const char* tag) {
  if (std::isnan(value)) throw VORLERROR(code, tag, name + " is not a number; valid: " + validRange);
  std::string shown = name + " " + numberText(value);
  if (unit[0] != '\0') shown += std::string(" ") + unit;
  throw VORLERROR(code, tag, shown + " is outside its valid range: " + validRange);
}

double smallestAperture(ModelChoice choice, double bore) noexcept {
  if (choice == ModelChoice::kFast) return input(InputId::kAperture).oneCall.minimum;
  const double ratio = std::fmin(kReferenceSmallestHole / bore, 1.0);
  return ratio * ratio;
}

double smallestHoleDiameter(ModelChoice choice, double bore) noexcept {
  return bore * std::sqrt(smallestAperture(choice, bore));
}

double smallestResolvedInflow(const VORL& model) {
  const double pa = model.outlet().pressure;
  const double branchALength = model.pipeSet().effectiveBreachLocation();
  const double a2 = model.gas()->a2();
  // q = sqrt(beta lam) a2 G, and 2 q^2 must reach the resolved fraction of pa^2.
  const double q = pa * std::sqrt(kResolvedPressureSquaredFraction / 2.0);
  const double fluxDensity = q / (std::sqrt(model.Beta() * branchALength) * a2);
  return fluxDensity * model.pipeInterior().Area();
}

}  // namespace vorl
