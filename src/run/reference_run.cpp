#include "run/reference_run.h"

#include <cmath>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "branch/flow_relations.h"
#include "companion/gas_mixture.h"
#include "companion/property_library.h"
#include "companion/reporting.h"
#include "core/vorl_error.h"
#include "model/inputs.h"
#include "model/vorl.h"
#include "run/output_grid.h"

namespace vorl {
namespace {

constexpr const char* kTag = "VorlReferenceRun";

using reference::CaseInput;
using reference::CriticalConstants;
using reference::ReferenceCase;
using reference::ReferenceResult;

std::vector<reference::IsolationValve> activeValves(const VORL& model) {
  std::vector<reference::IsolationValve> valves;
  if (!model.pipeSet().valvesActive) return valves;
  // Each starts to shut once the breach is detected after its closure time.
  const double delay = model.referenceSettings().valveDetectionDelay;
  for (const VALVE& valve : model.pipeSet().valves.valves) {
    valves.push_back({valve.valvePosition(), valve.valveClosureTime() + delay});
  }
  return valves;
}

std::vector<double> defaultReportTimes(double endTime) {
  std::vector<double> times;
  for (int k = 0; k < kDefaultReferenceIntervals; ++k) {
    times.push_back(endTime * k / kDefaultReferenceIntervals);
  }
  times.push_back(endTime);
  return times;
}

// The end of the fast model's last run: 0 before any run.
double fastModelEnd(const VORL& model) {
  if (model.sequenceOf(BranchId::kA) == nullptr) return 0.0;
  return pipeTimeMax(model);
}

double closedBlowDownTime(const VORL& model) {
  const double breach = breachLocationUsed(model);
  const double longerSide = std::fmax(breach, model.pipeSet().length - breach);
  const double pressureRatio = model.pipeSet().upstreamPressure / model.outlet().pressure;
  return closedBlowDownTimeScale(model.Beta(), longerSide) * acoshByLog(pressureRatio);
}

// The library's code for an input the reference refused. The inputs the
// adapter always sets within range (the breach opening, the numerics but the
// refinement, an initial profile) would be a fault of the library.
int codeOf(CaseInput input) {
  switch (input) {
    case CaseInput::kMolarMass: return VORL_E_NOT_POSITIVE;
    case CaseInput::kGasTemperature: return VORL_E_INVALID_GAS_TEMPERATURE;
    case CaseInput::kCriticalTemperature: return VORL_E_INVALID_CRITICAL_TEMPERATURE;
    case CaseInput::kCriticalPressure: return VORL_E_INVALID_CRITICAL_PRESSURE;
    case CaseInput::kAcentricFactor: return VORL_E_INVALID_ACENTRIC_FACTOR;
    case CaseInput::kLength: return VORL_E_INVALID_PIPE_LENGTH;
    case CaseInput::kBore: return VORL_E_INVALID_PIPE_DIAMETER;
    case CaseInput::kFanning: return VORL_E_INVALID_PIPE_ROUGHNESS;
    case CaseInput::kAmbientPressure: return VORL_E_INVALID_AMBIENT_PRESSURE;
    case CaseInput::kUpstreamPressure: return VORL_E_INVALID_UPSTREAM_PRESSURE;
    case CaseInput::kInflow: return VORL_E_INVALID_TOTAL_INFLOW;
    case CaseInput::kBreachLocation: return VORL_E_INVALID_BREACH_LOCATION;
    case CaseInput::kAperture: return VORL_E_INVALID_APERTURE;
    case CaseInput::kValvePosition: return VORL_E_INVALID_VALVE_POSITION;
    case CaseInput::kValveClosureTime: return VORL_E_INVALID_VALVE_CLOSURE_TIME;
    case CaseInput::kEndTime: return VORL_E_INVALID_REFERENCE_END_TIME;
    case CaseInput::kReportTimes: return VORL_E_INVALID_REFERENCE_REPORT_TIME;
    case CaseInput::kRefinement: return VORL_E_INVALID_REFERENCE_REFINEMENT;
    case CaseInput::kSteadyFlow: return VORL_E_INFLOW_CHOKED;
    case CaseInput::kGasPhase: return VORL_E_REFERENCE_NOT_GAS;
    case CaseInput::kBreachOpeningTime:
    case CaseInput::kNumerics:
    case CaseInput::kInitialProfile: break;
  }
  return VORL_E_INTERNAL;
}

// A refusal's reason; report times are refused against the end time.
std::string refusalText(const reference::InvalidCase& refusal, const ReferenceCase& c) {
  std::string text = refusal.what();
  if (refusal.input() == CaseInput::kReportTimes) text += " (the end time is " + numberText(c.endTime) + " s)";
  return text;
}

// The solver's failures as the library's coded errors.
ReferenceResult solve(const ReferenceCase& c, const reference::ProgressCallback& progress) {
  try {
    return reference::runReference(c, progress);
  } catch (const reference::InvalidCase& refusal) {
    throw VORLERROR(codeOf(refusal.input()), kTag, refusalText(refusal, c));
  } catch (const reference::StepBoundReached& bound) {
    throw VORLERROR(VORL_E_STEP_BOUND, kTag, bound.what());
  } catch (const std::runtime_error& failure) {
    throw VORLERROR(VORL_E_REFERENCE_FAILED, kTag, failure.what());
  } catch (const std::invalid_argument& refusal) {
    throw VORLERROR(VORL_E_INTERNAL, kTag, refusal.what());
  } catch (const std::logic_error&) {
    // A root the real gas's law was to bracket and did not: its critical
    // constants give no gas state over the line's pressures. Without the
    // real gas it is a fault of the library, and reported as one.
    if (!c.realGas) throw;
    const CriticalConstants& gas = *c.realGas;
    throw VORLERROR(VORL_E_INVALID_CRITICAL_TEMPERATURE, kTag,
                    "the real gas of critical temperature " + numberText(gas.temperature) + " K, critical pressure " +
                        numberText(gas.pressure) + " Pa and acentric factor " + numberText(gas.acentricFactor) +
                        " has no gas state the reference can solve for at " + numberText(c.temperature) +
                        " K between the ambient and the upstream pressure: check the critical constants");
  }
}

// A mixture's real gas: its components' constants and the interaction
// coefficients of every pair, with its pseudo-critical constants beside.
CriticalConstants mixtureRealGas(const GasMixture& mixture) {
  CriticalConstants gas{mixture.criticalTemperature(), mixture.criticalPressure(), mixture.acentricFactor()};
  for (const MixtureComponent& row : mixture.components()) {
    const Material& m = *row.material;
    gas.components.push_back({row.fraction, m.criticalTemperature, m.criticalPressure, m.acentricFactor});
    for (const MixtureComponent& column : mixture.components()) {
      gas.interaction.push_back(interactionCoefficient(m.number, column.material->number));
    }
  }
  return gas;
}

}  // namespace

std::optional<CriticalConstants> referenceRealGas(const VORL& model) {
  const ReferenceSettings& settings = model.referenceSettings();
  if (!settings.realGas) return std::nullopt;
  if (settings.criticalConstants) return settings.criticalConstants;
  if (model.isMixture()) return mixtureRealGas(*model.mixture());
  if (const Material* material = findMaterial(model.gasId())) {
    return CriticalConstants{material->criticalTemperature, material->criticalPressure, material->acentricFactor};
  }
  return std::nullopt;
}

double breachLocationUsed(const VORL& model) {
  if (model.isSingleBranchB()) return 0.0;
  if (model.isSingleBranchA()) return model.pipeSet().length;
  return model.pipeSet().effectiveBreachLocation();
}

double referenceEndTime(const VORL& model) {
  const double chosen = model.referenceSettings().endTime;
  if (chosen > 0.0) return chosen;
  const double fastEnd = fastModelEnd(model);
  return fastEnd > 0.0 ? fastEnd : closedBlowDownTime(model);
}

ReferenceCase referenceCaseOf(const VORL& model, const std::vector<double>* reportTimes, const ReportTimesAtEnd& atEnd) {
  const PIPESET& pipe = model.pipeSet();
  const ReferenceSettings& settings = model.referenceSettings();
  ReferenceCase c;
  c.molarMass = model.gas()->molecularWeight();
  c.temperature = model.gasTemperature();
  c.realGas = referenceRealGas(model);
  c.length = pipe.length;
  c.bore = model.pipeInterior().Diameter();
  c.fanning = model.pipeInterior().Fanning();
  c.upstreamPressure = pipe.upstreamPressure;
  c.inflow = pipe.totalInflow;
  c.supplyMode = settings.supplyMode == 1 ? reference::SupplyMode::kHoldingPressure
                                          : reference::SupplyMode::kConstantInflow;
  if (settings.supplyTripTime > 0.0) c.supplyTripTime = settings.supplyTripTime;
  c.breachLocation = breachLocationUsed(model);
  c.aperture = pipe.orificeAperture;
  c.ambientPressure = model.outlet().pressure;
  c.valves = activeValves(model);
  c.valveClosingDuration = settings.valveClosingDuration;
  if (reportTimes != nullptr) {
    c.reportTimes = *reportTimes;
  } else if (!settings.reportTimes.empty()) {
    c.reportTimes = settings.reportTimes;
  }
  if (settings.endTime > 0.0) {
    c.endTime = settings.endTime;
    if (c.reportTimes.empty()) c.reportTimes = atEnd ? atEnd(c.endTime) : defaultReportTimes(c.endTime);
  } else if (!c.reportTimes.empty()) {
    c.endTime = c.reportTimes.back() > 0.0 ? c.reportTimes.back() : referenceEndTime(model);
  } else {
    c.endWhenReleaseOver = true;
    c.endTime = kLongestReferenceRelease;
    c.reportTimesAtEnd = atEnd ? atEnd : ReportTimesAtEnd(defaultReportTimes);
  }
  c.numerics.refinement = settings.refinement;
  c.numerics.maxSteps = kMaxReferenceSteps;
  return c;
}

// Below a hole of 1 mm the breach is a leak, outside what the reference's
// breach cells resolve.
void checkHoleSize(const VORL& model) {
  const double bore = model.pipeInterior().Diameter();
  const double aperture = model.pipeSet().orificeAperture;
  const double smallest = smallestAperture(ModelChoice::kReference, bore);
  if (aperture >= smallest) return;
  throw VORLERROR(VORL_E_HOLE_TOO_SMALL, kTag,
                  "orifice aperture " + numberText(aperture) + " is a hole of " +
                      numberText(bore * std::sqrt(aperture) * 1000.0) + " mm in the bore of " + numberText(bore) +
                      " m; the reference solution takes holes of " +
                      numberText(kReferenceSmallestHole * 1000.0) + " mm and larger (an aperture of " +
                      numberText(smallest) + " or more)");
}

namespace {

int runOnModel(VORL& model, const reference::ProgressCallback& progress, const std::vector<double>* reportTimes,
               const ReportTimesAtEnd& atEnd) {
  // Nothing of an earlier run may read as a result of this one.
  model.referenceResultSet(nullptr);
  checkModelInputs(model, kCheckedByReference, kTag);
  checkHoleSize(model);
  const ReferenceCase c = referenceCaseOf(model, reportTimes, atEnd);
  if (model.referenceSettings().realGas && !c.realGas) {
    reportWarning(VORL_W_REFERENCE_IDEAL_GAS, kTag,
                  "the real gas needs critical constants, and a gas given by its molecular weight has none "
                  "(VorlReferenceCriticalSet gives them): the reference runs the ideal gas");
  }
  auto result = std::make_unique<ReferenceResult>(solve(c, progress));
  if (result->cancelled) {
    const double reached = result->time.empty() ? 0.0 : result->time.back();
    throw VORLERROR(VORL_E_REFERENCE_CANCELLED, kTag,
                    "the progress callback stopped the run after its report at " + numberText(reached) + " s of " +
                        numberText(c.endTime) + " s; no result is kept");
  }
  const int rows = static_cast<int>(result->time.size());
  model.referenceResultSet(std::move(result));
  return rows;
}

}  // namespace

int runModelReference(VORL& model, const reference::ProgressCallback& progress,
                      const std::vector<double>* reportTimes) {
  return runOnModel(model, progress, reportTimes, ReportTimesAtEnd{});
}

int runModelReference(VORL& model, const reference::ProgressCallback& progress, const ReportTimesAtEnd& atEnd) {
  return runOnModel(model, progress, nullptr, atEnd);
}

}  // namespace vorl
