#pragma once

#include <stdexcept>
#include <string>

namespace vorl::reference {

// What a refused case got wrong, so that a caller can name it in its own
// terms (the library's adapter turns each into a code of its own).
enum class CaseInput {
  kMolarMass,
  kGasTemperature,
  kCriticalTemperature,
  kCriticalPressure,
  kAcentricFactor,
  kLength,
  kBore,
  kFanning,
  kAmbientPressure,
  kUpstreamPressure,
  kInflow,
  kBreachLocation,
  kAperture,
  kBreachOpeningTime,
  kValvePosition,
  kValveClosureTime,
  kEndTime,
  kReportTimes,  // the times given, or the interval
  kRefinement,   // also a grid of more cells than a run may lay out
  kNumerics,     // the other settings of ReferenceNumerics
  kSteadyFlow,   // the intact line's steady flow chokes: the inflow is too large
  kGasPhase,     // the real gas has no gas phase at a pressure of the case
  kInitialProfile,
};

// A case the reference cannot compute: the input at fault and why.
class InvalidCase : public std::invalid_argument {
 public:
  InvalidCase(CaseInput input, const std::string& what) : std::invalid_argument(what), input_(input) {}
  CaseInput input() const noexcept { return input_; }

 private:
  CaseInput input_;
};

// The run took more time steps than ReferenceNumerics::maxSteps allows.
class StepBoundReached : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace vorl::reference
