#include "model/vorl.h"

#include <atomic>
#include <cmath>
#include <mutex>

#include "companion/gas_mixture.h"
#include "companion/property_library.h"
#include "companion/reporting.h"
#include "core/constants.h"
#include "core/vorl_error.h"
#include "reference/result_series.h"

namespace vorl {
namespace {

// The property-library object shared by all models: created by the first
// model, deleted with the last. Guarded, so that models may be created and
// deleted on several threads.
std::mutex sharedPropertiesMutex;
std::unique_ptr<KIV> sharedKiv;
int kivUsers = 0;
std::atomic<const KIV*> sharedKivView{nullptr};

}  // namespace

const KIV* VORL::sharedProperties() noexcept { return sharedKivView.load(); }

int VORL::sharedPropertyUsers() noexcept {
  std::lock_guard<std::mutex> lock(sharedPropertiesMutex);
  return kivUsers;
}

void VORL::acquireSharedProperties() {
  std::lock_guard<std::mutex> lock(sharedPropertiesMutex);
  if (!sharedKiv) {
    sharedKiv = std::make_unique<KIV>("VORL");
    kivUsers = 1;
    sharedKivView = sharedKiv.get();
  } else {
    ++kivUsers;
  }
  holdsSharedProperties_ = true;
}

void VORL::releaseSharedProperties() noexcept {
  std::lock_guard<std::mutex> lock(sharedPropertiesMutex);
  --kivUsers;
  if (kivUsers < 1) {
    sharedKivView = nullptr;
    sharedKiv.reset();
    kivUsers = 0;
  }
}

VORL::VORL(int material) : gasId_(material) {
  acquireSharedProperties();
  try {
    const double molecularWeight =
        sharedProperties()->kivMusPrp(material, kPropMolarMass, 0.0, 0.0, kPureComposition, 0);
    if (!(molecularWeight >= 0.5)) {
      throw VORLERROR(VORL_E_UNKNOWN_MATERIAL, "VORLCTOR",
                      "material " + std::to_string(material) + " is not in the property library");
    }
    finishConstruction(molecularWeight);
  } catch (...) {
    // A constructor that raises runs no destructor: give back the shared object here.
    releaseSharedProperties();
    throw;
  }
}

namespace {

// A gas given by its molecular weight alone: hydrogen's is the least of any
// gas; a thousand is beyond any a line carries (the heaviest gases met are a
// few hundred), where a mistyped weight would otherwise run as a gas.
constexpr double kLeastMolecularWeight = 2.0;       // kg/kmol
constexpr double kGreatestMolecularWeight = 1000.0;  // kg/kmol

// (A weight not above 0 is the gas's own refusal, 13.)
void checkMolecularWeight(double molecularWeight) {
  if (molecularWeight > 0.0 &&
      !(molecularWeight >= kLeastMolecularWeight && molecularWeight <= kGreatestMolecularWeight)) {
    throw VORLERROR(VORL_E_INVALID_MOLECULAR_WEIGHT, "VORLCTOR",
                    "molecular weight " + numberText(molecularWeight) + " kg/kmol is outside " +
                        numberText(kLeastMolecularWeight) + " to " + numberText(kGreatestMolecularWeight) + " kg/kmol");
  }
}

}  // namespace

VORL::VORL(SimpleGas simple) : gasId_(0) {
  checkMolecularWeight(simple.molecularWeight);
  acquireSharedProperties();
  try {
    finishConstruction(simple.molecularWeight);
  } catch (...) {
    releaseSharedProperties();
    throw;
  }
}

VORL::VORL(std::shared_ptr<const GasMixture> mixture)
    : gasId_(mixture && mixture->isPure() ? mixture->component(0).material->number : 0), mixture_(std::move(mixture)) {
  if (!mixture_) throw VORLERROR(VORL_E_MISSING_DATA, "VORLCTOR", "the model has no composition");
  acquireSharedProperties();
  try {
    finishConstruction(mixture_->molarMass());
    if (!mixture_->isPure()) atmosExpansion_.MixtureSet(mixture_);
  } catch (...) {
    releaseSharedProperties();
    throw;
  }
}

void VORL::refreshOutlet() noexcept {
  outlet_ = ambient_;
  if (backPressure_ > 0.0) {
    outlet_.pressure = backPressure_;
  } else if (waterDepth_ > 0.0) {
    outlet_.pressure = ambient_.pressure + seawaterDensity_ * kStandardGravity * waterDepth_;
  }
}

bool VORL::isMixture() const noexcept { return mixture_ && !mixture_->isPure(); }

void VORL::finishConstruction(double molecularWeight) {
  gas_ = std::make_unique<IIG>(molecularWeight, 0.0);
  atmosExpansion_.MolarMassSet(molecularWeight);
}

VORL::~VORL() {
  gas_.reset();
  if (holdsSharedProperties_) releaseSharedProperties();
  sequenceA_.reset();
  sequenceB_.reset();
  wholePipe_.reset();
}

GBSQ* VORL::sequenceOf(BranchId branch) noexcept {
  if (branch == BranchId::kA) return sequenceA_.get();
  if (branch == BranchId::kB) return sequenceB_.get();
  return nullptr;
}

const GBSQ* VORL::sequenceOf(BranchId branch) const noexcept {
  return const_cast<VORL*>(this)->sequenceOf(branch);
}

GBSQ& VORL::requireSequence(BranchId branch) {
  GBSQ* sequence = sequenceOf(branch);
  if (sequence == nullptr) {
    throw VORLERROR(VORL_E_NO_RESULTS, "BAFH", "no results for this branch: the model has not been run");
  }
  return *sequence;
}

const GBSQ& VORL::requireSequence(BranchId branch) const { return const_cast<VORL*>(this)->requireSequence(branch); }

void VORL::resetSequences() {
  for (std::unique_ptr<GBSQ>* sequence : {&sequenceA_, &sequenceB_}) {
    if (*sequence) {
      (*sequence)->clear();
    } else {
      *sequence = std::make_unique<GBSQ>();
    }
  }
}

void VORL::appendToSequence(const GB& state) {
  if (GBSQ* sequence = sequenceOf(state.branch)) sequence->append(state);
}

void VORL::referenceResultSet(std::unique_ptr<reference::ReferenceResult> result) noexcept {
  referenceResult_ = std::move(result);
}

void VORL::pipeLengthSet(double value) noexcept {
  pipeSet_.length = value;
  if (pipeSet_.breachLocation > value) pipeSet_.breachLocation = value;
  if (pipeSet_.breachAtEnd) pipeSet_.breachLocation = value;
}

void VORL::breachLocationSet(double value) {
  double x = value;
  if (!std::isfinite(x)) {
    // Not a place on the pipe at all: kept as given, and the run refuses it.
  } else if (x < 0.0) {
    x = 0.0;
    reportWarning(VORL_W_BREACH_CLAMPED, "BLSet", "breach location " + numberText(value) + " m is below 0; 0 is used");
  } else if (x > pipeSet_.length) {
    x = pipeSet_.length;
    reportWarning(VORL_W_BREACH_CLAMPED, "BLSet",
                  "breach location " + numberText(value) + " m is beyond the pipe length " +
                      numberText(pipeSet_.length) + " m; the pipe end is used");
  }
  pipeSet_.breachLocation = x;
  pipeSet_.breachAtEnd = false;
}

void VORL::gasTemperatureSet(double value) noexcept {
  gasTemperature_ = value;
  gas_->temperatureSet(value);
}

double VORL::Beta() const {
  if (!gas_) throw VORLERROR(VORL_E_MISSING_DATA, "vlBeta", "the model has no gas");
  const double f = pipeInterior_.Fanning();
  const double D = pipeInterior_.Diameter();
  const double a2 = gas_->a2();
  // A value that is not a number counts as equal to 0 here.
  if (a2 == 0.0 || std::isnan(a2) || D == 0.0 || std::isnan(D)) {
    throw VORLERROR(VORL_E_NOT_POSITIVE, "vlBeta",
                    "the friction parameter needs a non-zero gas constant, temperature and bore "
                    "diameter (diameter " +
                        numberText(D) + " m)");
  }
  return 2.0 * f / (a2 * D);
}

BranchLayout VORL::layout() const noexcept {
  const double L = pipeSet_.length;
  const double x = pipeSet_.effectiveBreachLocation();
  if (kEndFraction * L > x) return BranchLayout::kSingleBranchB;
  if (kAlmostOne * L < x || std::isnan(x)) return BranchLayout::kSingleBranchA;
  return BranchLayout::kDoubleBranch;
}

bool VORL::isSingleBranchA() const noexcept {
  return pipeSet_.length > 0.0 && layout() == BranchLayout::kSingleBranchA;
}

bool VORL::isSingleBranchB() const noexcept {
  return pipeSet_.length > 0.0 && layout() == BranchLayout::kSingleBranchB;
}

bool VORL::isDoubleBranch() const noexcept {
  return pipeSet_.length > 0.0 && layout() == BranchLayout::kDoubleBranch;
}

double VORL::SaturationPressure(double temperature) const {
  if (isMixture()) return mixture_->dewPressure(temperature).value;
  const KIV* properties = sharedProperties();
  if (gasId_ == 0 || properties == nullptr) return 0.0;
  return std::exp(properties->kivMusPrp(gasId_, kPropLnSaturationPressure, temperature, 0.0, kPureComposition, 0));
}

double VORL::SaturationTemperature(double pressure) const {
  if (isMixture()) return mixture_->dewTemperature(pressure).value;
  const KIV* properties = sharedProperties();
  if (gasId_ == 0 || properties == nullptr) return 0.0;
  return properties->kivMusPrp(gasId_, kPropSaturationTemperature, 0.0, pressure, kPureComposition, 0);
}

}  // namespace vorl
