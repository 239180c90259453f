#pragma once

#include <memory>

#include "companion/ambient.h"
#include "companion/atmos_expansion.h"
#include "companion/pipe_interior.h"
#include "core/enums.h"
#include "model/branch_state.h"
#include "model/flow_sequence.h"
#include "model/ideal_gas.h"
#include "model/output_times.h"
#include "model/pipe_time_state.h"
#include "model/pipeset.h"
#include "model/reference_settings.h"

namespace vorl {

class KIV;
class GasMixture;
namespace reference {
struct ReferenceResult;
}

// The model: one release case with its ambient air, gas, pipe, breach,
// valves, post-flash settings and the results of its last run, as data. Its
// whole-pipe branch (the steady flow of the intact line) is built by
// branch/'s rebuildWholePipe whenever an input of the steady flow changes.
// A model's inputs take the input table's defaults where it is created
// (run/model_setup.h): the table writes them through the setters below.
class VORL {
 public:
  // Library variant: a material of the property library by its number.
  // Raises 15 "VORLCTOR" for a material the library does not know.
  explicit VORL(int material);
  // Simple variant: an ideal gas of the given molecular weight (kg/kmol).
  // Raises 13 "IGCTOR" unless it is above 0.
  struct SimpleGas { double molecularWeight; };
  explicit VORL(SimpleGas simple);
  // Composition variant: a mixture of the library's materials. One of a
  // single component is that material's model (its number, its data); one
  // of more is the fast model's ideal gas of the mixture's molar mass, with
  // the mixture's own expansion and real gas.
  explicit VORL(std::shared_ptr<const GasMixture> mixture);
  ~VORL();
  VORL(const VORL&) = delete;
  VORL& operator=(const VORL&) = delete;

  // ---- setters ----
  // The setters store their value; those of the steady flow (ambient and gas
  // temperature, bore, roughness, length, inflow, upstream pressure) leave
  // the whole-pipe branch to be rebuilt by the caller.
  void ambientTemperatureSet(double value) noexcept {
    ambient_.temperature = value;
    refreshOutlet();
  }
  void ambientPressureSet(double value) noexcept {
    ambient_.pressure = value;
    refreshOutlet();
  }
  void ambientHumiditySet(double value) noexcept {
    ambient_.relativeHumidity = value;
    refreshOutlet();
  }
  void ambientMolecularWeightSet(double value) noexcept {
    ambient_.molecularWeight = value;
    refreshOutlet();
  }
  // The pressure the outflow leaves against, when it is not the ambient
  // pressure: given directly (Pa; 0: none), or that of the sea at a water
  // depth (m; 0: none) over the atmosphere, with the seawater's density
  // (kg/m3). A back pressure given directly wins over a depth.
  void backPressureSet(double value) noexcept {
    backPressure_ = value;
    refreshOutlet();
  }
  void waterDepthSet(double value) noexcept {
    waterDepth_ = value;
    refreshOutlet();
  }
  void seawaterDensitySet(double value) noexcept {
    seawaterDensity_ = value;
    refreshOutlet();
  }
  void pipeDiameterSet(double value) noexcept { pipeInterior_.DiameterSet(value); }
  void pipeRoughnessSet(double value) noexcept { pipeInterior_.RoughnessSet(value); }
  // A breach that follows the far end, or lies beyond the new length, moves to it.
  void pipeLengthSet(double value) noexcept;
  void orificeApertureSet(double value) noexcept { pipeSet_.orificeAperture = value; }
  // Clamped to [0, length] with warning 1001; a value that is not finite is
  // kept as given, and the run refuses it (360).
  void breachLocationSet(double value);
  void totalInflowSet(double value) noexcept { pipeSet_.totalInflow = value; }
  void upstreamPressureSet(double value) noexcept { pipeSet_.upstreamPressure = value; }
  void gasTemperatureSet(double value) noexcept;
  // A division of 1 or less leaves the time division unchanged.
  void timeDivisionSet(int value) noexcept {
    if (value > 1) timeDivision_ = value;
  }

  // The whole-pipe branch; null until built, and after a failed rebuild.
  void wholePipeSet(std::unique_ptr<GB> wholePipe) noexcept { wholePipe_ = std::move(wholePipe); }

  // ---- derived quantities ----
  // Friction parameter 2 f / (D a2) (s2/m3).
  double Beta() const;
  BranchLayout layout() const noexcept;
  bool isSingleBranchA() const noexcept;
  bool isSingleBranchB() const noexcept;
  bool isDoubleBranch() const noexcept;
  bool branchAExists() const noexcept { return isSingleBranchA() || isDoubleBranch(); }
  bool branchBExists() const noexcept { return isSingleBranchB() || isDoubleBranch(); }

  // Saturation pressure (Pa) at T and temperature (K) at p of the material;
  // 0 for a gas without a material number.
  double SaturationPressure(double temperature) const;
  double SaturationTemperature(double pressure) const;

  // ---- members read by the rest of the library ----
  int gasId() const noexcept { return gasId_; }
  // The composition the model was created from; null for a material by
  // number and for a gas by its molecular weight.
  const GasMixture* mixture() const noexcept { return mixture_.get(); }
  // A composition of two or more components.
  bool isMixture() const noexcept;
  const IIG* gas() const noexcept { return gas_.get(); }
  const AMBIENT& ambient() const noexcept { return ambient_; }
  double backPressure() const noexcept { return backPressure_; }
  double waterDepth() const noexcept { return waterDepth_; }
  double seawaterDensity() const noexcept { return seawaterDensity_; }
  // Where the outflow leaves: the ambient air at the back pressure (the
  // ambient pressure itself unless a back pressure or a water depth is
  // given). The flow, its end and the post-flash expansion take this.
  const AMBIENT& outlet() const noexcept { return outlet_; }
  // The outlet is not the open air at ambient pressure.
  bool hasBackPressure() const noexcept { return backPressure_ > 0.0 || waterDepth_ > 0.0; }
  const PIPEINTERIOR& pipeInterior() const noexcept { return pipeInterior_; }
  ATMOSEXPANSION& atmosExpansion() noexcept { return atmosExpansion_; }
  const ATMOSEXPANSION& atmosExpansion() const noexcept { return atmosExpansion_; }
  PIPESET& pipeSet() noexcept { return pipeSet_; }
  const PIPESET& pipeSet() const noexcept { return pipeSet_; }
  const GB* wholePipe() const noexcept { return wholePipe_.get(); }
  int timeDivision() const noexcept { return timeDivision_; }
  OutputTimes& outputTimes() noexcept { return outputTimes_; }
  const OutputTimes& outputTimes() const noexcept { return outputTimes_; }
  PipeTimeState& pipeTimeState() noexcept { return pipeTimeState_; }
  const PipeTimeState& pipeTimeState() const noexcept { return pipeTimeState_; }

  // ---- results of the last run ----
  // The flow sequence of branch A or B; null before the first run.
  GBSQ* sequenceOf(BranchId branch) noexcept;
  const GBSQ* sequenceOf(BranchId branch) const noexcept;
  // The same, raising 3 "BAFH" when no run has made it.
  GBSQ& requireSequence(BranchId branch);
  const GBSQ& requireSequence(BranchId branch) const;
  // Makes both sequences exist and empties them, for a new run.
  void resetSequences();
  // Stores a copy of a branch state in the sequence of its branch; a state
  // of another branch number (the whole pipe) is not stored.
  void appendToSequence(const GB& state);
  double gasTemperature() const noexcept { return gasTemperature_; }

  // ---- the reference solution ----
  ReferenceSettings& referenceSettings() noexcept { return referenceSettings_; }
  const ReferenceSettings& referenceSettings() const noexcept { return referenceSettings_; }
  // The result of the last reference run; null before one, and after one
  // that failed or was cancelled. A run of the fast model leaves it alone,
  // as a reference run leaves the flow sequences.
  const reference::ReferenceResult* referenceResult() const noexcept { return referenceResult_.get(); }
  void referenceResultSet(std::unique_ptr<reference::ReferenceResult> result) noexcept;
  // The model whose answer the results give (the release report, the pipe
  // tables, the events); the fast model unless chosen otherwise.
  ModelChoice modelChoice() const noexcept { return modelChoice_; }
  void modelChoiceSet(ModelChoice choice) noexcept { modelChoice_ = choice; }

  // The property-library object shared by all models; null while none exists.
  static const KIV* sharedProperties() noexcept;
  // Models holding the shared property object (for tests and diagnostics).
  static int sharedPropertyUsers() noexcept;

 private:
  void acquireSharedProperties();
  static void releaseSharedProperties() noexcept;
  void finishConstruction(double molecularWeight);
  void refreshOutlet() noexcept;

  int gasId_ = 0;
  std::unique_ptr<IIG> gas_;
  std::shared_ptr<const GasMixture> mixture_;
  AMBIENT ambient_;
  AMBIENT outlet_;
  double backPressure_ = 0.0;
  double waterDepth_ = 0.0;
  double seawaterDensity_ = 0.0;
  PIPEINTERIOR pipeInterior_{0.0};
  ATMOSEXPANSION atmosExpansion_;
  PIPESET pipeSet_;
  std::unique_ptr<GB> wholePipe_;
  std::unique_ptr<GBSQ> sequenceA_;
  std::unique_ptr<GBSQ> sequenceB_;
  OutputTimes outputTimes_;
  PipeTimeState pipeTimeState_;
  ReferenceSettings referenceSettings_;
  std::unique_ptr<reference::ReferenceResult> referenceResult_;
  ModelChoice modelChoice_ = ModelChoice::kFast;
  int timeDivision_ = 0;
  double gasTemperature_ = 0.0;
  bool holdsSharedProperties_ = false;
};

}  // namespace vorl
