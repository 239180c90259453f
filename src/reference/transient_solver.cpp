// The time loop of the reference solution: second-order strong-stability-
// preserving Runge-Kutta steps (Heun's form) of the finite-volume update,
// wall friction implicit in each stage, the time step set by the Courant
// number on the current grid, the grid near the breach laid out anew and
// coarser as its cells are allowed to grow, events (breach opening, valve
// closures, reports) met
// exactly, and the mass crossing each boundary accumulated with the same
// weights as the update so that the mass balance closes to rounding.

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

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
// size has grown by this factor since the last time: each regrid changes the
// cells by a few per cent, so that the release barely feels it.
constexpr double kRegridGrowth = 1.05;
// A step that loses positivity is repeated with half the time step, at most
// this many times.
constexpr int kMaxHalvings = 20;
// The progress callback is called each time this fraction of the run is done.
constexpr double kProgressInterval = 1e-3;
// Most cells a run may lay out (about 1 GB of work arrays).
constexpr double kMostCells = 1e7;

// What a pipe end does; None where a face has no cell on that side.
enum class EndKind { None, Wall, Breach, Supply, Sink };

// A face that is a boundary for the cells beside it.
struct BoundaryFace {
  std::size_t index;
  EndKind left;   // what the face is to the cell on its left
  EndKind right;  // ... and to the cell on its right
};

struct ValveFace {
  double position;
  double closesAt;  // s from the start of the run
  bool closed;
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
  EndKind downstreamEndKind() const;
  void applyEvents();
  void regridIfDue();
  double breachCellTarget() const;
  double nextEventTime(const std::vector<double>& reports, std::size_t nextReport) const;
  void evaluate(const std::vector<double>& mass, const std::vector<double>& momentum, BoundaryFlows& flows);
  void evaluateBoundary(const BoundaryFace& face, BoundaryFlows& flows);
  EndState endState(EndKind kind, const EndCell& cell) const;
  bool advance(const std::vector<double>& mass, const std::vector<double>& momentum, double dt,
               std::vector<double>& massOut, std::vector<double>& momentumOut) const;
  double stableTimeStep() const;
  bool step(double dt, BoundaryFlows& flowsAtStart);
  Sample sampleAt(const BoundaryFlows& flows) const;

  ReferenceCase input_;
  std::unique_ptr<GasLaw> gas_;
  double area_;
  double frictionPerLength_;
  Resolution resolution_;
  std::vector<ValveFace> valves_;
  Grid grid_;
  std::optional<EndConditions> ends_;

  double time_ = 0.0;
  bool breachOpen_ = false;
  double lastBreachCellTarget_;
  BoundaryTotals totals_;
  RunStatistics statistics_;

  // Layout of the faces: open[f] for interior faces, the boundary faces, and
  // the breach face (the number of cells of branch A).
  std::vector<unsigned char> open_;
  std::vector<BoundaryFace> boundaries_;
  std::size_t breachFace_ = 0;

  // Work arrays, reused from step to step.
  CellPrimitives cells_;
  FaceStates faceStates_;
  FaceFluxes fluxes_;
  std::vector<double> stageMass_, stageMomentum_, nextMass_, nextMomentum_;
};

TransientSolver::TransientSolver(const ReferenceCase& input, const InitialProfile* start)
    : input_(input),
      gas_(makeGasLaw(input.molarMass, input.temperature, input.realGas)),
      area_(0.25 * kPi * input.bore * input.bore),
      frictionPerLength_(2.0 * input.fanning / input.bore),
      resolution_(resolutionOf(input, std::sqrt(gas_->idealSoundSpeedSquared()))),
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
    const double closesAt = c.breachOpeningTime + valve.closureTime;
    auto same = std::find_if(valves_.begin(), valves_.end(),
                             [&](const ValveFace& v) { return v.position == valve.position; });
    if (same != valves_.end()) {
      same->closesAt = std::fmin(same->closesAt, closesAt);
      continue;
    }
    pinned.push_back({valve.position, kValveTag + static_cast<int>(valves_.size())});
    valves_.push_back({valve.position, closesAt, false});
  }
  return pinned;
}

void TransientSolver::resizeWork() {
  const std::size_t n = grid_.cellCount();
  cells_.resize(n);
  faceStates_.resize(n + 1);
  fluxes_.resize(n + 1);
  for (auto* v : {&stageMass_, &stageMomentum_, &nextMass_, &nextMomentum_}) v->resize(n);
}

EndKind TransientSolver::upstreamEndKind() const {
  if (breachOpen_ && input_.breachLocation == 0.0) return EndKind::Breach;
  return input_.inflow > 0.0 ? EndKind::Supply : EndKind::Wall;
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
    } else if (tag >= kValveTag && valves_[static_cast<std::size_t>(tag - kValveTag)].closed) {
      open_[f] = 0;
      boundaries_.push_back({f, EndKind::Wall, EndKind::Wall});
    }
  }
  boundaries_.push_back({n, downstreamEndKind(), EndKind::None});
}

void TransientSolver::applyEvents() {
  bool changed = false;
  if (!breachOpen_ && time_ >= input_.breachOpeningTime) {
    breachOpen_ = true;
    changed = true;
  }
  for (ValveFace& valve : valves_) {
    if (!valve.closed && time_ >= valve.closesAt) {
      valve.closed = true;
      changed = true;
    }
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

void TransientSolver::regridIfDue() {
  if (!breachOpen_) return;
  const double target = breachCellTarget();
  const bool grown = target >= kRegridGrowth * lastBreachCellTarget_;
  const bool reachedLatest = target == resolution_.latestBreachCell && lastBreachCellTarget_ < target;
  if (!grown && !reachedLatest) return;
  lastBreachCellTarget_ = target;
  grid_.regrid(CellSizeTarget{target, resolution_.grading, resolution_.largestCell});
  resizeWork();
  layOutFaces();
}

double TransientSolver::nextEventTime(const std::vector<double>& reports, std::size_t nextReport) const {
  double next = input_.endTime;
  if (nextReport < reports.size()) next = std::fmin(next, reports[nextReport]);
  if (!breachOpen_) next = std::fmin(next, input_.breachOpeningTime);
  for (const ValveFace& valve : valves_)
    if (!valve.closed) next = std::fmin(next, valve.closesAt);
  return next;
}

EndState TransientSolver::endState(EndKind kind, const EndCell& cell) const {
  switch (kind) {
    case EndKind::Breach: return ends_->breach(cell);
    case EndKind::Supply: return ends_->supply(cell);
    case EndKind::Sink: return ends_->sink(cell);
    case EndKind::Wall:
    case EndKind::None: break;
  }
  return ends_->wall(cell);
}

// Fluxes of every face at a state: the end conditions at the boundary faces
// from the cells beside them, then HLL at the interior faces from states
// reconstructed with the boundary states as the outer neighbours.
void TransientSolver::evaluate(const std::vector<double>& mass, const std::vector<double>& momentum,
                               BoundaryFlows& flows) {
  flows = BoundaryFlows{};
  const std::size_t n = grid_.cellCount();
  for (std::size_t i = 0; i < n; ++i) {
    cells_.density[i] = mass[i] / grid_.width(i);
    cells_.velocity[i] = momentum[i] / mass[i];
  }
  gas_->pressureAndSoundSpeed(cells_.density.data(), cells_.pressure.data(), cells_.soundSpeed.data(),
                                     n);
  for (const BoundaryFace& face : boundaries_) evaluateBoundary(face, flows);
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

// The end states of a boundary face for the cells beside it: their fluxes,
// the face values the reconstruction takes as those cells' outer neighbours,
// and the flows and pressures recorded (at the line's ends and the breach;
// a shut valve passes nothing).
void TransientSolver::evaluateBoundary(const BoundaryFace& face, BoundaryFlows& flows) {
  const std::size_t f = face.index;
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
  evaluate(stageMass_, stageMomentum_, flowsAtStage);
  if (!advance(stageMass_, stageMomentum_, dt, nextMass_, nextMomentum_)) return false;
  for (std::size_t i = 0; i < grid_.cellCount(); ++i) {
    mass[i] = 0.5 * (mass[i] + nextMass_[i]);
    momentum[i] = 0.5 * (momentum[i] + nextMomentum_[i]);
  }
  totals_.add(flowsAtStart, flowsAtStage, dt);
  return true;
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
  const std::vector<double> reports = reportTimesOf(input_);
  std::size_t nextReport = 0;
  double lastProgress = 0.0;
  BoundaryFlows flows;
  double initialMass = 0.0;
  for (double cellMass : grid_.mass) initialMass += cellMass;
  result.initialMass = area_ * initialMass;
  for (;;) {
    applyEvents();
    regridIfDue();
    evaluate(grid_.mass, grid_.momentum, flows);
    while (nextReport < reports.size() && reports[nextReport] <= time_) {
      appendSample(result, sampleAt(flows));
      ++nextReport;
    }
    if (time_ >= input_.endTime) break;
    if (input_.numerics.maxSteps > 0 && statistics_.steps >= input_.numerics.maxSteps) {
      throw StepBoundReached("the reference solution reached its bound of " +
                             std::to_string(input_.numerics.maxSteps) + " time steps");
    }
    if (progress && time_ - lastProgress >= kProgressInterval * input_.endTime) {
      lastProgress = time_;
      if (!progress(time_ / input_.endTime)) {
        result.cancelled = true;
        break;
      }
    }
    const double event = nextEventTime(reports, nextReport);
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
    ++statistics_.steps;
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
