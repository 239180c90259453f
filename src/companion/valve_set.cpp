#include "companion/valve_set.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vorl {
namespace {

// A sort key for a value that may not be a number: such values go last.
double orderKey(double value) noexcept {
  return std::isnan(value) ? std::numeric_limits<double>::infinity() : value;
}

}  // namespace

void VALVE::valvePlace(BranchId branch, double distanceFromBreach) noexcept {
  branch_ = branch;
  distanceFromBreach_ = distanceFromBreach;
  open_ = true;
}

VALVESET::BranchOrder* VALVESET::orderOf(BranchId branch) noexcept {
  if (branch == BranchId::kA) return &orders_[0];
  if (branch == BranchId::kB) return &orders_[1];
  return nullptr;
}

const VALVESET::BranchOrder* VALVESET::orderOf(BranchId branch) const noexcept {
  return const_cast<VALVESET*>(this)->orderOf(branch);
}

void VALVESET::valvesBranchInfoSet(double /*pipeLength*/, double breachLocation) {
  for (BranchOrder& order : orders_) order = BranchOrder{};
  for (std::size_t i = 0; i < valves.size(); ++i) {
    VALVE& valve = valves[i];
    const double position = valve.valvePosition();
    if (position <= breachLocation) {
      valve.valvePlace(BranchId::kA, breachLocation - position);
    } else {
      valve.valvePlace(BranchId::kB, position - breachLocation);
    }
    BranchOrder& order = *orderOf(valve.valveBranch());
    order.byClosure.push_back(i);
    order.byDistance.push_back(i);
    ++order.open;
  }
  closureRank_.assign(valves.size(), 0);
  for (BranchOrder& order : orders_) {
    std::stable_sort(order.byClosure.begin(), order.byClosure.end(), [this](std::size_t a, std::size_t b) {
      return orderKey(valves[a].valveClosureTime()) < orderKey(valves[b].valveClosureTime());
    });
    for (std::size_t p = 0; p < order.byClosure.size(); ++p) closureRank_[order.byClosure[p]] = p;
    order.nextOpen.resize(order.byClosure.size() + 1);
    for (std::size_t p = 0; p < order.nextOpen.size(); ++p) order.nextOpen[p] = p;
    std::stable_sort(order.byDistance.begin(), order.byDistance.end(), [this](std::size_t a, std::size_t b) {
      return orderKey(valves[a].valveDistanceFromBreach()) < orderKey(valves[b].valveDistanceFromBreach());
    });
    // A valve without a distance is never beyond another one.
    order.farthestUnshut = order.byDistance.size();
    while (order.farthestUnshut > 0 &&
           std::isnan(valves[order.byDistance[order.farthestUnshut - 1]].valveDistanceFromBreach())) {
      --order.farthestUnshut;
    }
  }
}

std::size_t VALVESET::firstOpenFrom(BranchOrder& order, std::size_t p) noexcept {
  // Skip links with path halving: each shut valve is passed over at most a
  // logarithmic number of times.
  while (order.nextOpen[p] != p) {
    order.nextOpen[p] = order.nextOpen[order.nextOpen[p]];
    p = order.nextOpen[p];
  }
  return p;
}

void VALVESET::shut(std::size_t index) noexcept {
  VALVE& valve = valves[index];
  if (!valve.valveIsOpen()) return;
  valve.valveClose();
  BranchOrder& order = *orderOf(valve.valveBranch());
  order.nextOpen[closureRank_[index]] = closureRank_[index] + 1;
  --order.open;
}

VALVE* VALVESET::valveEvent(BranchId branch, double t) noexcept {
  BranchOrder* order = orderOf(branch);
  if (order == nullptr || order->byClosure.empty()) return nullptr;
  const std::size_t p = firstOpenFrom(*order, 0);
  if (p == order->byClosure.size()) return nullptr;
  VALVE& earliest = valves[order->byClosure[p]];
  return earliest.valveClosureTime() <= t ? &earliest : nullptr;
}

VALVE* VALVESET::valveEventNext(BranchId branch, double t) noexcept {
  BranchOrder* order = orderOf(branch);
  if (order == nullptr || order->byClosure.empty()) return nullptr;
  const auto from = std::partition_point(order->byClosure.begin(), order->byClosure.end(), [&](std::size_t i) {
    return orderKey(valves[i].valveClosureTime()) < t;
  });
  const std::size_t p = firstOpenFrom(*order, static_cast<std::size_t>(from - order->byClosure.begin()));
  if (p == order->byClosure.size()) return nullptr;
  VALVE& next = valves[order->byClosure[p]];
  return next.valveClosureTime() >= t ? &next : nullptr;
}

bool VALVESET::valvesRemainToShut(BranchId branch) const noexcept {
  const BranchOrder* order = orderOf(branch);
  return order != nullptr && order->open > 0;
}

void VALVESET::valveClose(VALVE& closing) noexcept {
  const double distance = closing.valveDistanceFromBreach();
  BranchOrder* order = orderOf(closing.valveBranch());
  shut(static_cast<std::size_t>(&closing - valves.data()));
  if (order == nullptr) return;
  // The open length only shrinks: the valves beyond this one are found from
  // the far end, each once in a run.
  while (order->farthestUnshut > 0) {
    const std::size_t farthest = order->byDistance[order->farthestUnshut - 1];
    if (!(valves[farthest].valveDistanceFromBreach() > distance)) break;
    shut(farthest);
    --order->farthestUnshut;
  }
}

void VALVESET::valveSkip(VALVE& valve) noexcept { shut(static_cast<std::size_t>(&valve - valves.data())); }

}  // namespace vorl
