#pragma once

#include <vector>

namespace vorl {

// Branch numbers, shared by the branch state and the valve set.
enum BRANCH : int { kBranchA = 1, kBranchB = 2, kWholePipe = 3 };

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
  int valveBranch() const noexcept { return branch_; }
  bool valveIsOpen() const noexcept { return open_; }

  void valveClose() noexcept { open_ = false; }
  // Places the valve on a branch at a distance from the breach and reopens it.
  void valvePlace(int branch, double distanceFromBreach) noexcept;

 private:
  double position_;
  double closureTime_;
  double distanceFromBreach_ = 0.0;
  int branch_ = 0;
  bool open_ = true;
};

// The valves of the pipe, in the order added.
class VALVESET {
 public:
  std::vector<VALVE> valves;

  // Reopens every valve and assigns it to a branch: at or upstream of the
  // breach, branch A at distance breach - position; downstream, branch B at
  // distance position - breach. Reopening makes repeated runs of one model agree.
  void valvesBranchInfoSet(double pipeLength, double breachLocation) noexcept;

  // Among the open valves of the branch whose closure time has come by t, the
  // earliest closing (ties: the first added); null when there is none.
  VALVE* valveEvent(int branch, double t) noexcept;
  // Among the open valves of the branch closing at or after t, the earliest
  // (ties: the first added); null when there is none.
  VALVE* valveEventNext(int branch, double t) noexcept;
  // An open valve of the branch exists.
  bool valvesRemainToShut(int branch) const noexcept;

  // Shuts the valve and every open valve of its branch farther from the
  // breach: the shut valve has isolated them from the breach for good.
  // Left open, such a valve would lie beyond the branch's open length and be
  // offered first at every later step, hiding nearer valves that close later.
  void valveClose(VALVE& valve) noexcept;
};

}  // namespace vorl
