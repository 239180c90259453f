#pragma once

#include <cstddef>
#include <vector>

#include "core/enums.h"

namespace vorl {

// An isolation valve: where it sits on the pipe and when it shuts after the breach.
class VALVE {
 public:
  // position: distance from the upstream end of the pipe (m);
  // closureTime: time after the breach at which it shuts (s).
  VALVE(double position, double closureTime) noexcept
      : position_(position), closureTime_(closureTime) {}

  double valvePosition() const noexcept { return position_; }
  double valveClosureTime() const noexcept { return closureTime_; }
  double valveDistanceFromBreach() const noexcept { return distanceFromBreach_; }
  BranchId valveBranch() const noexcept { return branch_; }
  bool valveIsOpen() const noexcept { return open_; }

  void valveClose() noexcept { open_ = false; }
  // Places the valve on a branch at a distance from the breach and reopens it.
  void valvePlace(BranchId branch, double distanceFromBreach) noexcept;

 private:
  double position_;
  double closureTime_;
  double distanceFromBreach_ = 0.0;
  BranchId branch_ = BranchId::kWholePipe;  // not placed on a branch yet
  bool open_ = true;
};

// The valves of the pipe, in the order added.
//
// Each run places the valves on their branches and orders each branch's
// valves once, by closure time and by distance from the breach, so that every
// question a step asks costs at most a logarithm of the number of valves and
// every valve is shut at most once: a run with many valves costs
// (steps + valves) times a logarithm, not steps times valves.
class VALVESET {
 public:
  std::vector<VALVE> valves;

  // Reopens every valve and assigns it to a branch: at or upstream of the
  // breach, branch A at distance breach - position; downstream, branch B at
  // distance position - breach. Reopening makes repeated runs of one model
  // agree. The questions below hold for the valves placed by the last call.
  void valvesBranchInfoSet(double pipeLength, double breachLocation);

  // Among the open valves of the branch whose closure time has come by t, the
  // earliest closing (ties: the first added); null when there is none.
  VALVE* valveEvent(BranchId branch, double t) noexcept;
  // Among the open valves of the branch closing at or after t, the earliest
  // (ties: the first added); null when there is none.
  VALVE* valveEventNext(BranchId branch, double t) noexcept;
  // An open valve of the branch exists.
  bool valvesRemainToShut(BranchId branch) const noexcept;

  // Shuts the valve and every open valve of its branch farther from the
  // breach: the shut valve has isolated them from the breach for good.
  // Left open, such a valve would lie beyond the branch's open length and be
  // offered first at every later step, hiding nearer valves that close later.
  void valveClose(VALVE& valve) noexcept;
  // Shuts a valve that can never act (it lies beyond the branch's open
  // length, which only shrinks), without touching the others.
  void valveSkip(VALVE& valve) noexcept;

 private:
  // One branch's valves, ordered once per run.
  struct BranchOrder {
    std::vector<std::size_t> byClosure;   // valve indices by closure time, ties in order added
    std::vector<std::size_t> nextOpen;    // skip links over byClosure: a shut valve points past itself
    std::vector<std::size_t> byDistance;  // valve indices by distance from the breach, nearest first
    std::size_t farthestUnshut = 0;       // byDistance from here on is shut (or has no distance)
    std::size_t open = 0;                 // open valves of the branch
  };
  BranchOrder* orderOf(BranchId branch) noexcept;
  const BranchOrder* orderOf(BranchId branch) const noexcept;
  // The first open valve at or after place p of the closure order.
  std::size_t firstOpenFrom(BranchOrder& order, std::size_t p) noexcept;
  void shut(std::size_t valve) noexcept;

  BranchOrder orders_[2];
  std::vector<std::size_t> closureRank_;  // place of each valve in its branch's closure order
};

}  // namespace vorl
