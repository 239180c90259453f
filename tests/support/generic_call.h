#pragma once

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "support/error_log_helpers.h"
#include "vorl.h"

namespace vorl::test {

// Every argument of one call of the one-call entry VorlGenericZel, with
// arrays of maxSteps + 8 entries filled with a marker.
struct GenericCall {
  static constexpr double kUntouched = -7.25;
  std::array<int, 2> flags{0, 0};
  std::array<double, 16> inputs{288.15, 101325.0, 0.7, 100000.0, 0.0, 7.0e6, 30000.0, 1.0,
                                0.5,    5e-5,     28.966, 12.5, 1000.0, 1e-6, 0.01, 288.15};
  int material = kMethane, valves = 0, timeDivision = 100, maxSteps;
  double scalars[8];  // fanning and the A times (arguments 8..11), the B times (28..31)
  int recordsA = -1, recordsB = -1, outputSteps = -1;
  // The 46 arrays in argument order: 15 of branch A (arguments 13..27), 16 of
  // branch B (33..48), 9 of the pipe (50..58).
  std::vector<std::vector<double>> arrays;
  int nullArgument = -1;  // the argument passed as a null pointer

  explicit GenericCall(int steps) : maxSteps(steps), arrays(46, std::vector<double>(steps + 8, kUntouched)) {
    std::fill(std::begin(scalars), std::end(scalars), kUntouched);
  }
  template <class T>
  T* at(int position, T* pointer) const { return position == nullArgument ? nullptr : pointer; }
  double* scalar(int position) { return at(position, &scalars[position < 28 ? position - 8 : position - 24]); }
  double* argument(int position) {
    const int k = position <= 27 ? position - 13 : position <= 48 ? position - 18 : position - 19;
    return at(position, arrays[static_cast<std::size_t>(k)].data());
  }

  template <std::size_t... S, std::size_t... A, std::size_t... B, std::size_t... P>
  void call(std::index_sequence<S...>, std::index_sequence<A...>, std::index_sequence<B...>,
            std::index_sequence<P...>) {
    VorlGenericZel(at(0, flags.data()), at(1, inputs.data()), at(2, &material), at(3, &valves), nullptr, nullptr,
                   at(6, &timeDivision), at(7, &maxSteps), scalar(8 + S)..., at(12, &recordsA), argument(13 + A)...,
                   scalar(28 + S)..., at(32, &recordsB), argument(33 + B)..., at(49, &outputSteps),
                   argument(50 + P)...);
  }
  void operator()() {
    call(std::make_index_sequence<4>{}, std::make_index_sequence<15>{}, std::make_index_sequence<16>{},
         std::make_index_sequence<9>{});
  }

  // No entry written from `from` on in arrays first..last (by index).
  bool untouchedFrom(int from, std::size_t first = 0, std::size_t last = 45) const {
    for (std::size_t k = first; k <= last; ++k)
      for (std::size_t i = static_cast<std::size_t>(from); i < arrays[k].size(); ++i)
        if (arrays[k][i] != kUntouched) return false;
    return true;
  }
  bool onlyCountsWritten() const {
    const bool scalarsUntouched =
        std::all_of(std::begin(scalars), std::end(scalars), [](double s) { return s == kUntouched; });
    return recordsA == (nullArgument == 12 ? -1 : 0) && recordsB == (nullArgument == 32 ? -1 : 0) &&
           outputSteps == (nullArgument == 49 ? -1 : 0) && scalarsUntouched && untouchedFrom(0);
  }
};

}  // namespace vorl::test
