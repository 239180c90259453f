// The time loop of the reference solution. The finite-volume semi-
// discretisation (MUSCL + HLL inside, characteristic end conditions at the
// boundaries, wall friction as a source) is carried forward either by
// linearly implicit two-stage Rosenbrock steps (the default) whose length a
// local error estimate sets, or by the explicit second-order Runge-Kutta
// steps (Heun's form, friction implicit per stage) at the Courant number that
// verify them. The grid near the breach is laid out anew and coarser as its
// cells are allowed to grow; events (breach opening, a valve's start and end
// of closing, the supply's trip) are met exactly; the mass crossing each
// boundary is accumulated with the same weights as the update, so that the
// mass balance closes to rounding; the reports are interpolated between the
// recorded steps.

#include <algorithm>
#include <cmath>
#include <utility>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "reference/banded_matrix.h"
#include "reference/boundaries.h"
#include "reference/case_error.h"
#include "reference/gas_law.h"
#include "reference/grid.h"
#include "reference/initial_state.h"
#include "reference/reference.h"
#include "reference/riemann.h"

namespace vorl::reference {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Tags of the pinned faces; a valve's tag is kValveTag plus its index.
constexpr int kUpstreamEndTag = 1;
constexpr int kDownstreamEndTag = 2;
constexpr int kBreachTag = 3;
constexpr int kValveTag = 10;
// The grid near the breach is laid out again once the breach cells' target
// size has grown by this factor since the last time. Between regrids the
// cells are finer than the target, never coarser; each regrid costs the
// linearly implicit steps a new Jacobian and a few short steps, and smears
// the profile by one remap. Growth by 1.44 rather than 1.2 halves the
// regrids: the release changes by under 0.03 % (the default case, from
// 1 min on), the default case's run by a tenth of its time.
constexpr double kRegridGrowth = 1.44;
// A step that loses positivity is repeated with half the time step, at most
// this many times.
constexpr int kMaxHalvings = 20;
// The progress callback is called each time this fraction of the run is done.
constexpr double kProgressInterval = 1e-3;
// Most cells a run may lay out (about 1 GB of work arrays).
constexpr double kMostCells = 1e7;
// The state is recorded for the reports when this fraction of the time since
// the start has passed since the last record (and at every event): linear
// interpolation between records then errs by a millionth of the change, and
// the records grow with the logarithm of the time, not with the steps.
constexpr double kRecordSpacing = 1e-3;

// Linearly implicit steps: Verwer's two-stage Rosenbrock method (ROS2),
//   (I - g h J) k1 = F(U),  (I - g h J) k2 = F(U + h k1) - 2 k1,
//   U' = U + 3/2 h k1 + 1/2 h k2,  g = 1 + 1/sqrt(2),
// second order for any approximation J of the Jacobian (a W-method) and
// L-stable, so that the stiff acoustic and friction modes of the small
// cells are damped at any step. U + h k1, the linearly implicit Euler step,
// is first order: their difference h/2 (k1 + k2) estimates the local error.
constexpr double kRosenbrockGamma = 1.7071067811865475;
// Step-size control: the next step is the last times safety / sqrt(error),
// within these bounds of growth and shrinkage.
constexpr double kStepSafety = 0.9;
constexpr double kMostStepGrowth = 4.0;
constexpr double kLeastStepShrink = 0.2;
// A step rejected for a non-positive density or a failed end condition is
// repeated this much shorter.
constexpr double kFailedStepShrink = 0.25;
// A cell's mass error is weighed against its mass, but at least against the
// smaller of this fraction of the mean cell's mass and the gas at its density
// over kLeastMassWidth initial breach cells (bores): the cells of a bore's
// width at the breach in the first seconds hold a negligible part of the
// gas, and holding each to a relative error would set steps of a fiftieth of
// the time since the opening. (The mean cell of a long line is long: the
// width keeps its first seconds resolved.)
constexpr double kLeastMassScale = 0.1;
constexpr double kLeastMassWidth = 50.0;
// The momentum error is weighed against the momentum plus the mass flux of
// this fraction of the sound speed: a velocity error against the sound
// speed. Held relative to the momentum alone, the gas at rest ahead of a
// wave would hold every step to a fraction of the wave's crossing of a cell.
constexpr double kVelocityFloorFraction = 1.0;
// Finite-difference Jacobian: each cell's mass (and momentum, on the scale of
// its mass times the sound speed) is perturbed by this fraction, every
// kColourStride-th cell at once: a face's flux depends on the two cells on
// each side of it (through the reconstruction), so cells that far apart
// never share a face.
constexpr double kPerturbation = 1e-7;
constexpr std::size_t kColourStride = 4;
// A Jacobian serves this many steps at most (ROS2 keeps its order with any:
// an old one costs only stability, which a rejected step restores by
// forming it afresh).
constexpr int kMostJacobianAge = 16;
// The release is over within this fraction of the ambient pressure (no
// supply reaches the breach) or of the inflow (a supply does).
constexpr double kReleaseOverFraction = 0.01;

// What a pipe end does; None where a face has no cell on that side.
enum class EndKind { None, Wall, Breach, Supply, HeldSupply, Sink, Valve };

// A face that is a boundary for the cells beside it.
struct BoundaryFace {
  std::size_t index;
  EndKind left;   // what the face is to the cell on its left
  EndKind right;  // ... and to the cell on its right
};

// A valve is open until it starts to close, then a boundary of both its
// cells (ValveEnds) while its open area falls linearly in time, then a wall.
// With no closing duration it goes from open to shut at one event.
enum class ValveMotion { Open, Closing, Shut };

struct ValveFace {
  double position;
  double startsAt;  // s from the start of the run
  double shutAt;    // s from the start of the run, startsAt or later
  ValveMotion motion;
  // Fraction of the bore open at time t.
  double openFraction(double t) const {
    if (!(t > startsAt)) return 1.0;
    if (!(t < shutAt)) return 0.0;
    return (shutAt - t) / (shutAt - startsAt);
  }
};

// Mass fluxes (kg/(m2 s) of bore area) through the boundaries and the
// pressures (Pa) at the line's ends and at the breach, from one evaluation.
struct BoundaryFlows {
  double outOfUpstreamBranch = 0.0;    // through the breach from branch A
  double outOfDownstreamBranch = 0.0;  // through the breach from branch B
  double intoUpstreamEnd = 0.0;        // from the supply
  double outOfDownstreamEnd = 0.0;     // into the sink
  double upstreamBreachPressure = 0.0;
  double downstreamBreachPressure = 0.0;
  double upstreamEndPressure = 0.0;
  double downstreamEndPressure = 0.0;
};

// A face's flux depends on the two cells on each side of it (through the
// reconstruction): its cells f - 2 to f + 1.
constexpr std::size_t kFaceStencil = 4;

// The derivatives of one flux pair (mass, momentum) with respect to one
// cell's conserved quantities (mass, momentum): row-major 2x2.
struct FluxDerivative {
  double massWrtMass = 0.0, massWrtMomentum = 0.0, momentumWrtMass = 0.0, momentumWrtMomentum = 0.0;
};

// The end states a boundary face puts in the reconstruction's slots beside
// it (the outer neighbours of its cells).
struct BoundarySlots {
  double leftDensity = 1.0, leftVelocity = 0.0, rightDensity = 1.0, rightVelocity = 0.0;
};

// evaluate() of every cell as it is, not of one colour's perturbation.
constexpr std::size_t kEveryColour = static_cast<std::size_t>(-1);

// Derivatives of a face's fluxes as seen by the cell on its left and by the
// cell on its right, with respect to each cell of its stencil.
struct FaceDerivatives {
  FluxDerivative left[kFaceStencil], right[kFaceStencil];
};

// Running totals (kg per m2 of bore area) of the mass through each boundary.
struct BoundaryTotals {
  double outOfUpstreamBranch = 0.0;
  double outOfDownstreamBranch = 0.0;
  double intoUpstreamEnd = 0.0;
  double outOfDownstreamEnd = 0.0;

  void add(const BoundaryFlows& first, const BoundaryFlows& second, double dt) {
    const double half = 0.5 * dt;
    outOfUpstreamBranch += half * (first.outOfUpstreamBranch + second.outOfUpstreamBranch);
    outOfDownstreamBranch += half * (first.outOfDownstreamBranch + second.outOfDownstreamBranch);
    intoUpstreamEnd += half * (first.intoUpstreamEnd + second.intoUpstreamEnd);
    outOfDownstreamEnd += half * (first.outOfDownstreamEnd + second.outOfDownstreamEnd);
  }
};

// The resolution of a case: the sizes of the target cell function, already
// divided by the refinement.
struct Resolution {
  double initialBreachCell;  // m
  double latestBreachCell;   // m
  double largestCell;        // m
  double grading;
  double breachCellGrowth;   // m/s: the breach cell grows as this times the time since opening
};

Resolution resolutionOf(const ReferenceCase& c, double soundSpeed) {
  const ReferenceNumerics& n = c.numerics;
  const double longerSide = std::fmax(c.breachLocation, c.length - c.breachLocation);
  Resolution r;
  r.largestCell = n.largestCellFraction * c.length / n.refinement;
  r.latestBreachCell = std::fmin(n.latestBreachCellFraction * longerSide / n.refinement, r.largestCell);
  const double initial = n.initialBreachCell > 0.0 ? n.initialBreachCell : c.bore;
  r.initialBreachCell = std::fmin(initial / n.refinement, r.latestBreachCell);
  r.grading = n.grading / n.refinement;
  r.breachCellGrowth = n.coarseningRate * soundSpeed / n.refinement;
  const CellSizeTarget target{r.initialBreachCell, r.grading, r.largestCell};
  const double cells = target.spacingIntegral(c.breachLocation) + target.spacingIntegral(c.length - c.breachLocation);
  if (!(cells <= kMostCells))
    throw InvalidCase(CaseInput::kRefinement, "reference case: the resolution asks for more than 1e7 cells");
  return r;
}

class TransientSolver {
 public:
  // Starts from the profile when given, else from the intact line's steady flow.
  TransientSolver(const ReferenceCase& input, const InitialProfile* start);
  ReferenceResult run(const ProgressCallback& progress);

 private:
  std::vector<PinnedFace> pinnedFaces();
  void resizeWork();
  void layOutFaces();
  EndKind upstreamEndKind() const;
  double supplyTripsAt() const;
  EndKind downstreamEndKind() const;
  bool eventDue() const;
  void applyEvents();
  double nextRegridTime() const;
  void regridIfDue();
  double breachCellTarget() const;
  double nextEventTime() const;
  void evaluate(const std::vector<double>& mass, const std::vector<double>& momentum, BoundaryFlows& flows,
                std::size_t perturbedColour = kEveryColour);
  bool touchesColour(const BoundaryFace& face, std::size_t colour) const;
  void evaluateBoundary(const BoundaryFace& face, BoundaryFlows& flows);
  void evaluateValve(std::size_t face);
  void evaluateStage(double offset, const std::vector<double>& mass, const std::vector<double>& momentum,
                     BoundaryFlows& flows);
  EndState endState(EndKind kind, const EndCell& cell) const;
  bool advance(const std::vector<double>& mass, const std::vector<double>& momentum, double dt,
               std::vector<double>& massOut, std::vector<double>& momentumOut) const;
  double stableTimeStep() const;
  bool step(double dt, BoundaryFlows& flowsAtStart);
  double explicitStep(double event, BoundaryFlows& flows);
  // Linearly implicit steps.
  void ratesFromFluxes(const std::vector<double>& mass, const std::vector<double>& momentum,
                       std::vector<double>& rates) const;
  void formJacobian();
  void perturbedFluxDerivatives(std::size_t colour, int variable);
  bool factorStepMatrix(double h);
  void addBoundaryCorrection(const std::vector<double>& k, double gh, BoundaryFlows& flows) const;
  bool implicitStage(double h, BoundaryFlows& flowsAtStart, double& errorNorm);
  double errorNorm(double h);
  double implicitStep(double event, BoundaryFlows& flows);
  // Records and the end.
  void record(const BoundaryFlows& flows, bool always);
  std::pair<std::size_t, std::size_t> reachableCells() const;
  bool releaseOver(const BoundaryFlows& flows) const;
  double highestReachablePressure() const;
  double doneFraction(double startPressure) const;
  Sample sampleAt(const BoundaryFlows& flows) const;

  ReferenceCase input_;
  std::unique_ptr<GasLaw> gas_;
  double area_;
  double frictionPerLength_;
  double soundSpeed_;  // the ideal gas's, m/s: a scale
  Resolution resolution_;
  std::vector<ValveFace> valves_;
  Grid grid_;
  std::optional<EndConditions> ends_;

  double time_ = 0.0;
  // A stage's time after time_, at which the valves' open areas are taken.
  double stageOffset_ = 0.0;
  bool supplyTripped_ = false;
  bool breachOpen_ = false;
  double lastBreachCellTarget_;
  BoundaryTotals totals_;
  RunStatistics statistics_;
  std::vector<Sample> history_;

  // Layout of the faces: open[f] for interior faces, the boundary faces, and
  // the breach face (the number of cells of branch A).
  std::vector<unsigned char> open_;
  std::vector<BoundaryFace> boundaries_;
  std::size_t breachFace_ = 0;
  // The first unknown of each part of the line that no other part's fluxes
  // reach (past an open breach or a shut valve): the step matrix's blocks.
  std::vector<std::size_t> independentFrom_;

  // Work arrays, reused from step to step.
  CellPrimitives cells_;
  FaceStates faceStates_;
  FaceFluxes fluxes_;
  std::vector<double> stageMass_, stageMomentum_, nextMass_, nextMomentum_;
  // ... of the linearly implicit steps: the rates F at the step's start and
  // at its stage, the stages k1, k2 (two unknowns per cell, interleaved),
  // the face derivatives and the step matrix I - g h J.
  double proposedStep_ = 0.0;
  bool jacobianCurrent_ = false;
  bool filterEstimate_ = false;  // see errorNorm
  int jacobianAge_ = 0;  // accepted steps since the Jacobian was formed
  FaceFluxes baseFluxes_;
  // The boundary faces' slots of the last evaluation and of the Jacobian's
  // base state, in the order of boundaries_.
  std::vector<BoundarySlots> boundarySlots_, baseBoundarySlots_;
  std::vector<double> rates_, stageRates_, k1_, k2_, error_;
  std::vector<FaceDerivatives> derivatives_;
  BandedMatrix stepMatrix_;
};

TransientSolver::TransientSolver(const ReferenceCase& input, const InitialProfile* start)
    : input_(input),
      gas_(makeGasLaw(input.molarMass, input.temperature, input.realGas)),
      area_(0.25 * kPi * input.bore * input.bore),
      frictionPerLength_(2.0 * input.fanning / input.bore),
      soundSpeed_(std::sqrt(gas_->idealSoundSpeedSquared())),
      resolution_(resolutionOf(input, soundSpeed_)),
      grid_(input.length, input.breachLocation, pinnedFaces(),
            CellSizeTarget{resolution_.initialBreachCell, resolution_.grading, resolution_.largestCell}),
      lastBreachCellTarget_(resolution_.initialBreachCell) {
  const LineState initial = start ? profileState(*gas_, *start, grid_.faces())
                                  : steadyFlow(*gas_, input.fanning, input.bore, input.upstreamPressure,
                                               input.inflow / area_, grid_.faces());
  grid_.mass = initial.cellMass;
  grid_.momentum = initial.cellMomentum;
  const double sinkPressure = input.inflow > 0.0 ? initial.downstreamPressure : 0.0;
  ends_.emplace(*gas_, input.fanning, input.bore, input.aperture, input.ambientPressure, input.inflow / area_,
                sinkPressure);
  if (input.inflow > 0.0) ends_->holdSupplyPressure(input.upstreamPressure);
  statistics_.initialCells = grid_.cellCount();
  resizeWork();
  layOutFaces();
}

// The line ends, the breach and the valves strictly inside a branch (a
// valve at an end or at the breach isolates nothing); valves at one position
// shut with the earliest of them.
std::vector<PinnedFace> TransientSolver::pinnedFaces() {
  const ReferenceCase& c = input_;
  std::vector<PinnedFace> pinned{{0.0, kUpstreamEndTag}, {c.length, kDownstreamEndTag}};
  if (c.breachLocation > 0.0 && c.breachLocation < c.length) pinned.push_back({c.breachLocation, kBreachTag});
  for (const IsolationValve& valve : c.valves) {
    if (!(valve.position > 0.0 && valve.position < c.length && valve.position != c.breachLocation)) continue;
    const double startsAt = c.breachOpeningTime + valve.closureTime;
    const double shutAt = startsAt + c.valveClosingDuration;
    auto same = std::find_if(valves_.begin(), valves_.end(),
                             [&](const ValveFace& v) { return v.position == valve.position; });
    if (same != valves_.end()) {
      same->startsAt = std::fmin(same->startsAt, startsAt);
      same->shutAt = std::fmin(same->shutAt, shutAt);
      continue;
    }
    pinned.push_back({valve.position, kValveTag + static_cast<int>(valves_.size())});
    valves_.push_back({valve.position, startsAt, shutAt, ValveMotion::Open});
  }
  return pinned;
}

void TransientSolver::resizeWork() {
  const std::size_t n = grid_.cellCount();
  cells_.resize(n);
  faceStates_.resize(n + 1);
  fluxes_.resize(n + 1);
  for (auto* v : {&stageMass_, &stageMomentum_, &nextMass_, &nextMomentum_}) v->resize(n);
  if (input_.numerics.scheme == TimeScheme::kLinearlyImplicit) {
    baseFluxes_.resize(n + 1);
    for (auto* v : {&rates_, &stageRates_, &k1_, &k2_, &error_}) v->assign(2 * n, 0.0);
    derivatives_.assign(n + 1, FaceDerivatives{});
    stepMatrix_.resize(2 * n);
  }
  jacobianCurrent_ = false;
}

EndKind TransientSolver::upstreamEndKind() const {
  if (breachOpen_ && input_.breachLocation == 0.0) return EndKind::Breach;
  if (!(input_.inflow > 0.0) || supplyTripped_) return EndKind::Wall;
  const bool held = breachOpen_ && input_.supplyMode == SupplyMode::kHoldingPressure;
  return held ? EndKind::HeldSupply : EndKind::Supply;
}

// With inflow the intact line delivers into the sink; without, the end is
// closed from the start.
EndKind TransientSolver::downstreamEndKind() const {
  if (breachOpen_ && input_.breachLocation == input_.length) return EndKind::Breach;
  return input_.inflow > 0.0 ? EndKind::Sink : EndKind::Wall;
}

void TransientSolver::layOutFaces() {
  const std::size_t n = grid_.cellCount();
  open_.assign(n + 1, 1);
  open_[0] = open_[n] = 0;
  boundaries_.clear();
  boundaries_.push_back({0, EndKind::None, upstreamEndKind()});
  breachFace_ = input_.breachLocation == 0.0 ? 0 : n;
  for (std::size_t f = 1; f < n; ++f) {
    const int tag = grid_.faceTag(f);
    if (tag == kBreachTag) {
      breachFace_ = f;
      if (breachOpen_) {
        open_[f] = 0;
        boundaries_.push_back({f, EndKind::Breach, EndKind::Breach});
      }
    } else if (tag >= kValveTag) {
      const ValveMotion motion = valves_[static_cast<std::size_t>(tag - kValveTag)].motion;
      if (motion == ValveMotion::Open) continue;
      open_[f] = 0;
      const EndKind kind = motion == ValveMotion::Shut ? EndKind::Wall : EndKind::Valve;
      boundaries_.push_back({f, kind, kind});
    }
  }
  boundaries_.push_back({n, downstreamEndKind(), EndKind::None});
  boundarySlots_.assign(boundaries_.size(), BoundarySlots{});
  // A closing valve's flux depends on both its cells; a breach's or a wall's
  // on each side's own cell.
  independentFrom_.clear();
  for (const BoundaryFace& face : boundaries_)
    if (face.left != EndKind::None && face.right != EndKind::None && face.left != EndKind::Valve)
      independentFrom_.push_back(2 * face.index);
  jacobianCurrent_ = false;
}

// The supply trips at its time after the breach opens.
double TransientSolver::supplyTripsAt() const { return input_.breachOpeningTime + input_.supplyTripTime; }

bool TransientSolver::eventDue() const {
  if (!breachOpen_ && time_ >= input_.breachOpeningTime) return true;
  if (!supplyTripped_ && time_ >= supplyTripsAt()) return true;
  return std::any_of(valves_.begin(), valves_.end(), [this](const ValveFace& valve) {
    return (valve.motion == ValveMotion::Open && time_ >= valve.startsAt) ||
           (valve.motion == ValveMotion::Closing && time_ >= valve.shutAt);
  });
}

void TransientSolver::applyEvents() {
  bool changed = false;
  if (!breachOpen_ && time_ >= input_.breachOpeningTime) {
    breachOpen_ = true;
    changed = true;
  }
  if (!supplyTripped_ && time_ >= supplyTripsAt()) {
    supplyTripped_ = true;
    changed = true;
  }
  for (ValveFace& valve : valves_) {
    const ValveMotion before = valve.motion;
    if (time_ >= valve.shutAt) valve.motion = ValveMotion::Shut;
    else if (time_ >= valve.startsAt) valve.motion = ValveMotion::Closing;
    changed = changed || valve.motion != before;
  }
  if (changed) layOutFaces();
}

// The breach cells grow with the distance sound has travelled since the
// breach opened, between the initial and the latest breach cell sizes.
double TransientSolver::breachCellTarget() const {
  const double sinceOpening = std::fmax(0.0, time_ - input_.breachOpeningTime);
  return std::clamp(resolution_.breachCellGrowth * sinceOpening, resolution_.initialBreachCell,
                    resolution_.latestBreachCell);
}

// The grid is laid out anew at fixed times, which the steps land on: once
// the breach cells' target has grown by kRegridGrowth, and once it reaches
// the latest breach cell. Both time schemes so run on the same grids.
double TransientSolver::nextRegridTime() const {
  if (!breachOpen_ || !(resolution_.breachCellGrowth > 0.0) ||
      !(lastBreachCellTarget_ < resolution_.latestBreachCell))
    return std::numeric_limits<double>::infinity();
  const double next = std::fmin(kRegridGrowth * lastBreachCellTarget_, resolution_.latestBreachCell);
  return input_.breachOpeningTime + next / resolution_.breachCellGrowth;
}

void TransientSolver::regridIfDue() {
  if (!(time_ >= nextRegridTime())) return;
  lastBreachCellTarget_ = std::fmax(breachCellTarget(),
                                    std::fmin(kRegridGrowth * lastBreachCellTarget_, resolution_.latestBreachCell));
  grid_.regrid(CellSizeTarget{lastBreachCellTarget_, resolution_.grading, resolution_.largestCell});
  resizeWork();
  layOutFaces();
  filterEstimate_ = true;
}

// The next time a step must land on: the end, the breach opening, a valve
// starting or ending its closure, the supply's trip, a regrid.
double TransientSolver::nextEventTime() const {
  double next = std::fmin(input_.endTime, nextRegridTime());
  if (!breachOpen_) next = std::fmin(next, input_.breachOpeningTime);
  if (!supplyTripped_) next = std::fmin(next, supplyTripsAt());
  for (const ValveFace& valve : valves_) {
    if (valve.motion == ValveMotion::Open) next = std::fmin(next, valve.startsAt);
    else if (valve.motion == ValveMotion::Closing) next = std::fmin(next, valve.shutAt);
  }
  return next;
}

EndState TransientSolver::endState(EndKind kind, const EndCell& cell) const {
  switch (kind) {
    case EndKind::Breach: return ends_->breach(cell);
    case EndKind::Supply: return ends_->supply(cell);
    case EndKind::HeldSupply: return ends_->heldSupply(cell);
    case EndKind::Sink: return ends_->sink(cell);
    case EndKind::Wall:
    case EndKind::Valve:  // both sides at once: evaluateValve
    case EndKind::None: break;
  }
  return ends_->wall(cell);
}

// Fluxes of every face at a state: the end conditions at the boundary faces
// from the cells beside them, then HLL at the interior faces from states
// reconstructed with the boundary states as the outer neighbours.
// With a perturbed colour (the Jacobian's evaluations), the boundary faces
// beside no cell of that colour keep the base state's fluxes and slots: an
// end condition depends on its own cell alone, and its root finding is the
// costliest part of an evaluation.
void TransientSolver::evaluate(const std::vector<double>& mass, const std::vector<double>& momentum,
                               BoundaryFlows& flows, std::size_t perturbedColour) {
  flows = BoundaryFlows{};
  const std::size_t n = grid_.cellCount();
  for (std::size_t i = 0; i < n; ++i) {
    cells_.density[i] = mass[i] / grid_.width(i);
    cells_.velocity[i] = momentum[i] / mass[i];
  }
  gas_->pressureAndSoundSpeed(cells_.density.data(), cells_.pressure.data(), cells_.soundSpeed.data(), n);
  for (std::size_t b = 0; b < boundaries_.size(); ++b) {
    const BoundaryFace& face = boundaries_[b];
    const std::size_t f = face.index;
    if (perturbedColour == kEveryColour || touchesColour(face, perturbedColour)) {
      evaluateBoundary(face, flows);
      boundarySlots_[b] = {faceStates_.leftDensity[f], faceStates_.leftVelocity[f], faceStates_.rightDensity[f],
                           faceStates_.rightVelocity[f]};
      continue;
    }
    const BoundarySlots& base = baseBoundarySlots_[b];
    faceStates_.leftDensity[f] = base.leftDensity;
    faceStates_.leftVelocity[f] = base.leftVelocity;
    faceStates_.rightDensity[f] = base.rightDensity;
    faceStates_.rightVelocity[f] = base.rightVelocity;
    fluxes_.massSeenByLeft[f] = baseFluxes_.massSeenByLeft[f];
    fluxes_.momentumSeenByLeft[f] = baseFluxes_.momentumSeenByLeft[f];
    fluxes_.massSeenByRight[f] = baseFluxes_.massSeenByRight[f];
    fluxes_.momentumSeenByRight[f] = baseFluxes_.momentumSeenByRight[f];
  }
  reconstructFaces(grid_.faces(), cells_, open_, faceStates_);
  gas_->pressureAndSoundSpeed(faceStates_.leftDensity.data() + 1, faceStates_.leftPressure.data() + 1,
                              faceStates_.leftSoundSpeed.data() + 1, n);
  gas_->pressureAndSoundSpeed(faceStates_.rightDensity.data(), faceStates_.rightPressure.data(),
                              faceStates_.rightSoundSpeed.data(), n);
  hllFluxes(faceStates_, open_, fluxes_);
  if (!breachOpen_) {
    if (breachFace_ > 0) flows.upstreamBreachPressure = cells_.pressure[breachFace_ - 1];
    if (breachFace_ < n) flows.downstreamBreachPressure = cells_.pressure[breachFace_];
  }
}

// Whether a cell beside the boundary face is of the colour.
bool TransientSolver::touchesColour(const BoundaryFace& face, std::size_t colour) const {
  const std::size_t f = face.index;
  return (face.left != EndKind::None && (f - 1) % kColourStride == colour) ||
         (face.right != EndKind::None && f % kColourStride == colour);
}

// The end states of a boundary face for the cells beside it: their fluxes,
// the face values the reconstruction takes as those cells' outer neighbours,
// and the flows and pressures recorded (at the line's ends and the breach;
// a shut valve passes nothing).
void TransientSolver::evaluateBoundary(const BoundaryFace& face, BoundaryFlows& flows) {
  const std::size_t f = face.index;
  if (face.left == EndKind::Valve) {
    evaluateValve(f);
    return;
  }
  if (face.left != EndKind::None) {
    const std::size_t cell = f - 1;
    const EndState end =
        endState(face.left, EndCell{cells_.density[cell], cells_.velocity[cell], grid_.width(cell)});
    const double outward = end.outwardMassFlux();
    fluxes_.massSeenByLeft[f] = outward;
    fluxes_.momentumSeenByLeft[f] = outward * end.outwardVelocity + end.pressure;
    faceStates_.leftDensity[f] = end.density;
    faceStates_.leftVelocity[f] = end.outwardVelocity;
    if (face.left == EndKind::Breach) {
      flows.outOfUpstreamBranch = outward;
      flows.upstreamBreachPressure = end.pressure;
    } else if (f == grid_.cellCount()) {
      flows.outOfDownstreamEnd = outward;
      flows.downstreamEndPressure = end.pressure;
    }
  }
  if (face.right != EndKind::None) {
    const std::size_t cell = f;
    const EndState end =
        endState(face.right, EndCell{cells_.density[cell], -cells_.velocity[cell], grid_.width(cell)});
    const double outward = end.outwardMassFlux();
    fluxes_.massSeenByRight[f] = -outward;
    fluxes_.momentumSeenByRight[f] = outward * end.outwardVelocity + end.pressure;
    faceStates_.rightDensity[f] = end.density;
    faceStates_.rightVelocity[f] = -end.outwardVelocity;
    if (face.right == EndKind::Breach) {
      flows.outOfDownstreamBranch = outward;
      flows.downstreamBreachPressure = end.pressure;
    } else if (f == 0) {
      flows.intoUpstreamEnd = -outward;
      flows.upstreamEndPressure = end.pressure;
    }
  }
}

// A closing valve: both its cells' end states at once, at its open area of
// the evaluation's time. Both sides see the one mass flux, so the valve
// keeps the line's mass; the momentum it takes is the force on the valve.
void TransientSolver::evaluateValve(std::size_t f) {
  const ValveFace& valve = valves_[static_cast<std::size_t>(grid_.faceTag(f) - kValveTag)];
  const std::size_t left = f - 1, right = f;
  const ValveEnds ends =
      ends_->valve(EndCell{cells_.density[left], cells_.velocity[left], grid_.width(left)},
                   EndCell{cells_.density[right], -cells_.velocity[right], grid_.width(right)},
                   valve.openFraction(time_ + stageOffset_));
  const double massFlux = ends.left.outwardMassFlux();
  fluxes_.massSeenByLeft[f] = massFlux;
  fluxes_.momentumSeenByLeft[f] = massFlux * ends.left.outwardVelocity + ends.left.pressure;
  faceStates_.leftDensity[f] = ends.left.density;
  faceStates_.leftVelocity[f] = ends.left.outwardVelocity;
  fluxes_.massSeenByRight[f] = massFlux;
  fluxes_.momentumSeenByRight[f] = ends.right.outwardMassFlux() * ends.right.outwardVelocity + ends.right.pressure;
  faceStates_.rightDensity[f] = ends.right.density;
  faceStates_.rightVelocity[f] = -ends.right.outwardVelocity;
}

// evaluate() at a stage `offset` s after time_: the valves' open areas then.
void TransientSolver::evaluateStage(double offset, const std::vector<double>& mass,
                                    const std::vector<double>& momentum, BoundaryFlows& flows) {
  struct Reset {
    double& offset;
    ~Reset() { offset = 0.0; }
  } reset{stageOffset_};
  stageOffset_ = offset;
  evaluate(mass, momentum, flows);
}

// One forward-Euler stage from (mass, momentum) with the fluxes evaluated
// last, friction implicit: the momentum P solves P + dt (2 f / D) P |P| / m = P*
// for the cell mass m after the stage, a root that shrinks P* towards zero
// without changing its sign however stiff the friction. False when a cell
// mass is not positive or a momentum not finite.
bool TransientSolver::advance(const std::vector<double>& mass, const std::vector<double>& momentum, double dt,
                              std::vector<double>& massOut, std::vector<double>& momentumOut) const {
  const std::size_t n = grid_.cellCount();
  const double* fmRight = fluxes_.massSeenByRight.data();
  const double* fmLeft = fluxes_.massSeenByLeft.data();
  const double* fpRight = fluxes_.momentumSeenByRight.data();
  const double* fpLeft = fluxes_.momentumSeenByLeft.data();
  bool valid = true;
  for (std::size_t i = 0; i < n; ++i) {
    const double m = mass[i] + dt * (fmRight[i] - fmLeft[i + 1]);
    const double p = momentum[i] + dt * (fpRight[i] - fpLeft[i + 1]);
    const double stiffness = dt * frictionPerLength_ / m;
    massOut[i] = m;
    momentumOut[i] = 2.0 * p / (1.0 + std::sqrt(1.0 + 4.0 * stiffness * std::fabs(p)));
    if (!(m > 0.0) || !std::isfinite(momentumOut[i])) valid = false;
  }
  return valid;
}

// The Courant number over the fastest signal crossing of a cell, from the
// cell states of the last evaluation.
double TransientSolver::stableTimeStep() const {
  double fastest = 0.0;
  for (std::size_t i = 0; i < grid_.cellCount(); ++i) {
    const double c = cells_.soundSpeed[i];
    if (!(c > 0.0)) throw std::runtime_error("the reference solution reached a state without a sound speed");
    fastest = std::max(fastest, (std::fabs(cells_.velocity[i]) + c) / grid_.width(i));
  }
  return input_.numerics.courantNumber / fastest;
}

// Heun's step: U1 = U + dt L(U), U2 = U1 + dt L(U1), U <- (U + U2)/2, with
// the fluxes at U already evaluated in flowsAtStart. The boundary mass
// crossings get the same weights.
bool TransientSolver::step(double dt, BoundaryFlows& flowsAtStart) {
  std::vector<double>& mass = grid_.mass;
  std::vector<double>& momentum = grid_.momentum;
  if (!advance(mass, momentum, dt, stageMass_, stageMomentum_)) return false;
  BoundaryFlows flowsAtStage;
  evaluateStage(dt, stageMass_, stageMomentum_, flowsAtStage);
  if (!advance(stageMass_, stageMomentum_, dt, nextMass_, nextMomentum_)) return false;
  for (std::size_t i = 0; i < grid_.cellCount(); ++i) {
    mass[i] = 0.5 * (mass[i] + nextMass_[i]);
    momentum[i] = 0.5 * (momentum[i] + nextMomentum_[i]);
  }
  totals_.add(flowsAtStart, flowsAtStage, dt);
  return true;
}

// One explicit step towards the event (landing on it when within reach,
// halving the way when within two steps); returns the time step taken.
double TransientSolver::explicitStep(double event, BoundaryFlows& flows) {
  double dt = stableTimeStep();
  bool lands = false;
  if (event - time_ <= dt) {
    dt = event - time_;
    lands = true;
  } else if (event - time_ < 2.0 * dt) {
    dt = 0.5 * (event - time_);
  }
  int halvings = 0;
  while (!step(dt, flows)) {
    if (++halvings > kMaxHalvings) throw std::runtime_error("the reference solution lost positivity");
    ++statistics_.stepRetries;
    lands = false;
    dt *= 0.5;
    evaluate(grid_.mass, grid_.momentum, flows);
  }
  time_ = lands ? event : time_ + dt;
  return dt;
}

// F(U) from the fluxes of the last evaluation at (mass, momentum): per cell
// the flux differences, and wall friction -(2 f / D) P |P| / m on the momentum.
void TransientSolver::ratesFromFluxes(const std::vector<double>& mass, const std::vector<double>& momentum,
                                      std::vector<double>& rates) const {
  const std::size_t n = grid_.cellCount();
  for (std::size_t i = 0; i < n; ++i) {
    rates[2 * i] = fluxes_.massSeenByRight[i] - fluxes_.massSeenByLeft[i + 1];
    rates[2 * i + 1] = fluxes_.momentumSeenByRight[i] - fluxes_.momentumSeenByLeft[i + 1] -
                       frictionPerLength_ * momentum[i] * std::fabs(momentum[i]) / mass[i];
  }
}

// The derivatives of the face fluxes with respect to the cells beside each
// face, by finite differences, one colour of cells and one variable at a
// time (kColourStride x 2 evaluations), about the state whose fluxes
// baseFluxes_ holds.
void TransientSolver::formJacobian() {
  for (std::size_t colour = 0; colour < kColourStride; ++colour)
    for (int variable = 0; variable < 2; ++variable) perturbedFluxDerivatives(colour, variable);
  jacobianCurrent_ = true;
  jacobianAge_ = 0;
  ++statistics_.jacobians;
}

void TransientSolver::perturbedFluxDerivatives(std::size_t colour, int variable) {
  const std::size_t n = grid_.cellCount();
  stageMass_ = grid_.mass;
  stageMomentum_ = grid_.momentum;
  std::vector<double>& perturbed = variable == 0 ? stageMass_ : stageMomentum_;
  const auto delta = [&](std::size_t j) {
    return variable == 0 ? kPerturbation * grid_.mass[j]
                         : kPerturbation * (std::fabs(grid_.momentum[j]) + grid_.mass[j] * soundSpeed_);
  };
  for (std::size_t j = colour; j < n; j += kColourStride) perturbed[j] += delta(j);
  BoundaryFlows ignored;
  evaluate(stageMass_, stageMomentum_, ignored, colour);
  const auto setColumn = [variable](FluxDerivative& d, double massChange, double momentumChange, double by) {
    if (variable == 0) {
      d.massWrtMass = massChange / by;
      d.momentumWrtMass = momentumChange / by;
    } else {
      d.massWrtMomentum = massChange / by;
      d.momentumWrtMomentum = momentumChange / by;
    }
  };
  for (std::size_t f = 0; f <= n; ++f) {
    // The one cell of this colour in the face's stencil, if any.
    const std::size_t first = f >= 2 ? f - 2 : 0;
    const std::size_t cell = first + (colour + kColourStride - first % kColourStride) % kColourStride;
    if (cell + 2 > f + kFaceStencil - 1 || cell >= n) continue;
    const std::size_t slot = cell + 2 - f;
    const double by = delta(cell);
    FaceDerivatives& d = derivatives_[f];
    setColumn(d.left[slot], fluxes_.massSeenByLeft[f] - baseFluxes_.massSeenByLeft[f],
              fluxes_.momentumSeenByLeft[f] - baseFluxes_.momentumSeenByLeft[f], by);
    setColumn(d.right[slot], fluxes_.massSeenByRight[f] - baseFluxes_.massSeenByRight[f],
              fluxes_.momentumSeenByRight[f] - baseFluxes_.momentumSeenByRight[f], by);
  }
}

// I - g h J from the face derivatives and the friction's; false when a pivot
// of its factorisation vanishes. Cell i's rates are the flux seen by it at
// its left face i less the flux seen by it at its right face i + 1.
bool TransientSolver::factorStepMatrix(double h) {
  const std::size_t n = grid_.cellCount();
  const double gh = kRosenbrockGamma * h;
  stepMatrix_.resize(2 * n);
  stepMatrix_.splitBefore(independentFrom_);
  const auto add = [&](std::size_t i, std::size_t j, const FluxDerivative& d, double sign) {
    stepMatrix_.at(2 * i, 2 * j) -= sign * gh * d.massWrtMass;
    stepMatrix_.at(2 * i, 2 * j + 1) -= sign * gh * d.massWrtMomentum;
    stepMatrix_.at(2 * i + 1, 2 * j) -= sign * gh * d.momentumWrtMass;
    stepMatrix_.at(2 * i + 1, 2 * j + 1) -= sign * gh * d.momentumWrtMomentum;
  };
  for (std::size_t i = 0; i < n; ++i) {
    const double m = grid_.mass[i], p = grid_.momentum[i];
    stepMatrix_.at(2 * i, 2 * i) += 1.0;
    stepMatrix_.at(2 * i + 1, 2 * i + 1) += 1.0 + gh * 2.0 * frictionPerLength_ * std::fabs(p) / m;
    stepMatrix_.at(2 * i + 1, 2 * i) -= gh * frictionPerLength_ * p * std::fabs(p) / (m * m);
    for (std::size_t slot = 0; slot < kFaceStencil; ++slot) {
      // Face i's stencil starts at cell i - 2, face i + 1's at cell i - 1.
      if (i + slot >= 2 && i + slot - 2 < n) add(i, i + slot - 2, derivatives_[i].right[slot], 1.0);
      if (i + slot >= 1 && i + slot - 1 < n) add(i, i + slot - 1, derivatives_[i + 1].left[slot], -1.0);
    }
  }
  return stepMatrix_.factor();
}

// The boundary mass flows a stage k of the linear solve stands for: each
// boundary face's flux plus g h times its derivative along k, so that the
// masses crossing the boundaries account for every cell's change exactly.
void TransientSolver::addBoundaryCorrection(const std::vector<double>& k, double gh, BoundaryFlows& flows) const {
  const std::size_t n = grid_.cellCount();
  for (const BoundaryFace& face : boundaries_) {
    const std::size_t f = face.index;
    const FaceDerivatives& d = derivatives_[f];
    if (face.left != EndKind::None) {
      const FluxDerivative& cell = d.left[1];  // the cell f - 1
      const double change = gh * (cell.massWrtMass * k[2 * f - 2] + cell.massWrtMomentum * k[2 * f - 1]);
      if (face.left == EndKind::Breach) flows.outOfUpstreamBranch += change;
      else if (f == n) flows.outOfDownstreamEnd += change;
    }
    if (face.right != EndKind::None) {
      const FluxDerivative& cell = d.right[2];  // the cell f
      const double change = gh * (cell.massWrtMass * k[2 * f] + cell.massWrtMomentum * k[2 * f + 1]);
      if (face.right == EndKind::Breach) flows.outOfDownstreamBranch -= change;
      else if (f == 0) flows.intoUpstreamEnd += change;
    }
  }
}

// The two stages of a step of length h from the state of the last
// evaluation (its rates in rates_, its flows in flowsAtStart); the new
// state in nextMass_/nextMomentum_ and the mass crossings in totals_ only
// when accepted by the caller. False when a stage leaves the gas branch.
bool TransientSolver::implicitStage(double h, BoundaryFlows& flowsAtStart, double& norm) {
  const std::size_t n = grid_.cellCount();
  if (!factorStepMatrix(h)) return false;
  k1_ = rates_;
  stepMatrix_.solve(k1_);
  for (std::size_t i = 0; i < n; ++i) {
    stageMass_[i] = grid_.mass[i] + h * k1_[2 * i];
    stageMomentum_[i] = grid_.momentum[i] + h * k1_[2 * i + 1];
    if (!(stageMass_[i] > 0.0) || !std::isfinite(stageMomentum_[i])) return false;
  }
  BoundaryFlows flowsAtStage;
  try {
    evaluateStage(h, stageMass_, stageMomentum_, flowsAtStage);
  } catch (const std::runtime_error&) {
    return false;  // an end condition without a solution at the stage: a shorter step
  }
  ratesFromFluxes(stageMass_, stageMomentum_, stageRates_);
  for (std::size_t j = 0; j < 2 * n; ++j) k2_[j] = stageRates_[j] - 2.0 * k1_[j];
  stepMatrix_.solve(k2_);
  for (std::size_t i = 0; i < n; ++i) {
    nextMass_[i] = grid_.mass[i] + h * (1.5 * k1_[2 * i] + 0.5 * k2_[2 * i]);
    nextMomentum_[i] = grid_.momentum[i] + h * (1.5 * k1_[2 * i + 1] + 0.5 * k2_[2 * i + 1]);
    if (!(nextMass_[i] > 0.0) || !std::isfinite(nextMomentum_[i])) return false;
  }
  norm = errorNorm(h);
  if (!(norm <= 1.0)) return true;
  const double gh = kRosenbrockGamma * h;
  BoundaryFlows first = flowsAtStart;
  addBoundaryCorrection(k1_, gh, first);
  addBoundaryCorrection(k2_, gh, flowsAtStage);
  totals_.add(first, flowsAtStage, h);
  return true;
}

// The largest local error estimate h/2 (k1 + k2) over the cells, in units
// of the tolerance of each cell's mass and momentum (see kLeastMassScale and
// kVelocityFloorFraction). In the first step after a regrid, and in the
// retries of a step whose estimate does not shrink with it, the estimate is
// filtered through (I - g h J)^-1: a state a little off the profile its
// fluxes hold (the remap's, or an old Jacobian's last step) is a departure
// that the stiff acoustic and friction modes of the small breach cells
// remove within one step whatever its length. ROS2 damps it fully
// (L-stable), but the linearly implicit Euler step inside it keeps
// (1 - 1/g) of it, so that the raw difference reports that departure as an
// error no shorter step makes smaller: unfiltered, each regrid cost up to
// nine rejected steps, and a slow blow-down through a small hole could find
// no step at all. The filter leaves the estimate of the slow modes as it is
// and scales a mode of rate lambda by 1/(1 - g h lambda).
double TransientSolver::errorNorm(double h) {
  const double tolerance = input_.numerics.tolerance;
  const double velocityFloor = kVelocityFloorFraction * soundSpeed_;
  double largest = 0.0;
  const double leastWidth = kLeastMassWidth * resolution_.initialBreachCell;
  double total = 0.0;
  for (double cellMass : grid_.mass) total += cellMass;
  for (std::size_t j = 0; j < error_.size(); ++j) error_[j] = 0.5 * h * (k1_[j] + k2_[j]);
  if (filterEstimate_) stepMatrix_.solve(error_);
  const double leastMass = kLeastMassScale * total / static_cast<double>(grid_.cellCount());
  for (std::size_t i = 0; i < grid_.cellCount(); ++i) {
    const double widthFloor = grid_.mass[i] * leastWidth / grid_.width(i);
    const double m = std::max(grid_.mass[i], std::min(leastMass, widthFloor));
    const double massError = std::fabs(error_[2 * i]) / (tolerance * m);
    const double momentumError = std::fabs(error_[2 * i + 1]) /
                                 (tolerance * (std::fabs(grid_.momentum[i]) + m * velocityFloor));
    largest = std::max({largest, massError, momentumError});
  }
  return largest;
}

// One accepted linearly implicit step towards the event, from the state of
// the last evaluation (flows); returns the time step taken.
double TransientSolver::implicitStep(double event, BoundaryFlows& flows) {
  if (proposedStep_ <= 0.0) proposedStep_ = stableTimeStep();
  ratesFromFluxes(grid_.mass, grid_.momentum, rates_);
  baseFluxes_ = fluxes_;
  baseBoundarySlots_ = boundarySlots_;
  if (!jacobianCurrent_ || jacobianAge_ >= kMostJacobianAge) formJacobian();
  double h = proposedStep_;
  // The last rejected attempt with the Jacobian of this one (0: none).
  double rejectedStep = 0.0, rejectedNorm = 0.0;
  for (int attempt = 0;; ++attempt) {
    bool lands = false;
    if (event - time_ <= h) {
      h = event - time_;
      lands = true;
    } else if (event - time_ < 2.0 * h) {
      h = 0.5 * (event - time_);
    }
    double norm = 0.0;
    const bool valid = implicitStage(h, flows, norm);
    if (valid && norm <= 1.0) {
      grid_.mass.swap(nextMass_);
      grid_.momentum.swap(nextMomentum_);
      const double growth = norm > 0.0 ? kStepSafety / std::sqrt(norm) : kMostStepGrowth;
      const double wanted = h * std::clamp(growth, kLeastStepShrink, kMostStepGrowth);
      // A step cut short to land on an event says little of the next.
      proposedStep_ = lands ? std::max(wanted, proposedStep_) : wanted;
      time_ = lands ? event : time_ + h;
      ++jacobianAge_;
      filterEstimate_ = false;
      return h;
    }
    if (attempt >= kMaxHalvings * 2) throw std::runtime_error("the reference solution found no step the error estimate accepts");
    ++statistics_.stepRetries;
    // An estimate that falls slower than the root of the step is no
    // truncation error but a departure that the stiff modes remove at once.
    if (valid && rejectedStep > 0.0 && norm > rejectedNorm * std::sqrt(h / rejectedStep)) filterEstimate_ = true;
    rejectedStep = valid && jacobianAge_ == 0 ? h : 0.0;
    rejectedNorm = norm;
    // A Jacobian of an earlier state may be what failed: form it afresh.
    if (jacobianAge_ > 0) formJacobian();
    h *= valid ? std::clamp(kStepSafety / std::sqrt(norm), kLeastStepShrink, 1.0) : kFailedStepShrink;
    proposedStep_ = h;
  }
}

void TransientSolver::record(const BoundaryFlows& flows, bool always) {
  if (!always && !history_.empty() && time_ - history_.back().time < kRecordSpacing * time_)
    return;
  history_.push_back(sampleAt(flows));
}

// See ReferenceCase::endWhenReleaseOver.
bool TransientSolver::releaseOver(const BoundaryFlows& flows) const {
  if (!breachOpen_) return false;
  const auto [lowestShut, highestShut] = reachableCells();
  // A supply due to trip changes the release still to come.
  if (input_.inflow > 0.0 && !supplyTripped_ && std::isfinite(supplyTripsAt())) return false;
  const bool supplied = input_.inflow > 0.0 && !supplyTripped_ && input_.breachLocation > 0.0 && lowestShut == 0;
  if (supplied) {
    const double supply = input_.inflow / area_;
    const double change = flows.intoUpstreamEnd - flows.outOfUpstreamBranch - flows.outOfDownstreamBranch -
                          flows.outOfDownstreamEnd;
    return std::fabs(change) <= kReleaseOverFraction * supply;
  }
  const double over = (1.0 + kReleaseOverFraction) * input_.ambientPressure;
  for (std::size_t i = lowestShut; i < highestShut; ++i)
    if (cells_.pressure[i] > over) return false;
  return true;
}

// The cells the breach can draw on: those between the shut valves nearest
// it on either side.
std::pair<std::size_t, std::size_t> TransientSolver::reachableCells() const {
  std::size_t lowestShut = 0, highestShut = grid_.cellCount();
  for (const BoundaryFace& face : boundaries_) {
    if (face.left != EndKind::Wall || face.right != EndKind::Wall) continue;
    if (face.index < breachFace_) lowestShut = std::max(lowestShut, face.index);
    else highestShut = std::min(highestShut, face.index);
  }
  return {lowestShut, highestShut};
}

double TransientSolver::highestReachablePressure() const {
  const auto [lowestShut, highestShut] = reachableCells();
  double highest = 0.0;
  for (std::size_t i = lowestShut; i < highestShut; ++i) highest = std::max(highest, cells_.pressure[i]);
  return highest;
}

// How much of the run is done, for the host's progress. A run to a set end
// is its share of the time. A run to the end of an unfed release does not
// know its length ahead: its share is how far the highest pressure the
// breach draws on has fallen toward the pressure that ends it, on a log
// scale, since a blow-down's tail falls near exponentially (the time's
// share stays the floor). A fed line, which ends on a steady flow, keeps
// the share of its capped time. The whole is told only at the end.
double TransientSolver::doneFraction(double startPressure) const {
  const double timeShare = time_ / input_.endTime;
  const bool fed = input_.inflow > 0.0 && !supplyTripped_;
  if (!input_.endWhenReleaseOver || fed || !breachOpen_) return timeShare;
  const double over = (1.0 + kReleaseOverFraction) * input_.ambientPressure;
  const double highest = highestReachablePressure();
  if (!(startPressure > over) || !(highest > 0.0)) return timeShare;
  const double fallen = std::log(startPressure / std::max(highest, over)) / std::log(startPressure / over);
  return std::max(timeShare, std::min(fallen, 1.0 - kProgressInterval));
}

Sample TransientSolver::sampleAt(const BoundaryFlows& flows) const {
  Sample s;
  s.time = time_;
  double upstreamMass = 0.0, downstreamMass = 0.0;
  for (std::size_t i = 0; i < grid_.cellCount(); ++i) (i < breachFace_ ? upstreamMass : downstreamMass) += grid_.mass[i];
  s.upstream = BranchSample{area_ * flows.outOfUpstreamBranch, area_ * totals_.outOfUpstreamBranch,
                            flows.upstreamBreachPressure, flows.upstreamEndPressure, area_ * upstreamMass};
  s.downstream = BranchSample{area_ * flows.outOfDownstreamBranch, area_ * totals_.outOfDownstreamBranch,
                              flows.downstreamBreachPressure, flows.downstreamEndPressure, area_ * downstreamMass};
  s.inflowRate = area_ * flows.intoUpstreamEnd;
  s.inflowDelivered = area_ * totals_.intoUpstreamEnd;
  s.sinkRate = area_ * flows.outOfDownstreamEnd;
  s.sinkDelivered = area_ * totals_.outOfDownstreamEnd;
  s.lineMass = area_ * (upstreamMass + downstreamMass);
  return s;
}

ReferenceResult TransientSolver::run(const ProgressCallback& progress) {
  ReferenceResult result;
  result.upstream.present = input_.breachLocation > 0.0;
  result.downstream.present = input_.breachLocation < input_.length;
  const bool implicit = input_.numerics.scheme == TimeScheme::kLinearlyImplicit;
  // An end when the release is over comes no earlier than the last report asked for.
  const double earliestEnd = input_.reportTimes.empty() ? 0.0 : input_.reportTimes.back();
  double lastProgress = 0.0;
  double startPressure = 0.0;
  BoundaryFlows flows;
  double initialMass = 0.0;
  for (double cellMass : grid_.mass) initialMass += cellMass;
  result.initialMass = area_ * initialMass;
  for (;;) {
    if (eventDue()) {
      // The state just before the event, for reports in the step that led to it.
      evaluate(grid_.mass, grid_.momentum, flows);
      record(flows, true);
      applyEvents();
    }
    regridIfDue();
    evaluate(grid_.mass, grid_.momentum, flows);
    const bool atEnd = time_ >= input_.endTime ||
                       (input_.endWhenReleaseOver && time_ >= earliestEnd && releaseOver(flows));
    record(flows, atEnd || history_.empty() || history_.back().time == time_);
    if (atEnd) break;
    if (startPressure == 0.0 && breachOpen_) startPressure = highestReachablePressure();
    if (input_.numerics.maxSteps > 0 && statistics_.steps >= input_.numerics.maxSteps) {
      throw StepBoundReached("the reference solution reached its bound of " +
                             std::to_string(input_.numerics.maxSteps) + " time steps");
    }
    const double done = progress ? doneFraction(startPressure) : 0.0;
    if (progress && done - lastProgress >= kProgressInterval) {
      lastProgress = done;
      if (!progress(done)) {
        result.cancelled = true;
        break;
      }
    }
    const double event = nextEventTime();
    if (implicit) implicitStep(event, flows);
    else explicitStep(event, flows);
    ++statistics_.steps;
  }
  if (result.cancelled && history_.back().time < time_) record(flows, true);
  for (double t : reportTimesOf(input_, time_)) {
    if (!(t <= time_)) break;
    appendSample(result, sampleAtTime(history_, t));
  }
  if (progress && !result.cancelled) progress(1.0);
  statistics_.finalCells = grid_.cellCount();
  result.statistics = statistics_;
  return result;
}

}  // namespace

ReferenceResult runReference(const ReferenceCase& input, const ProgressCallback& progress) {
  validateCase(input);
  TransientSolver solver(input, nullptr);
  return solver.run(progress);
}

ReferenceResult runReference(const ReferenceCase& input, const InitialProfile& start, const ProgressCallback& progress) {
  validateCase(input);
  TransientSolver solver(input, &start);
  return solver.run(progress);
}

}  // namespace vorl::reference
