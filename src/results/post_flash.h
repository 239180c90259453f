#pragma once

#include "model/branch_state.h"
#include "results/table_column.h"

namespace vorl {

class VORL;

// The outflow after it has expanded to ambient pressure.
struct PostFlashState {
  double temperature = 0.0;     // K
  double velocity = 0.0;        // m/s
  double liquidFraction = 0.0;  // mass fraction of liquid
  double dropSize = 0.0;        // m
};

// The post-flash columns, the same in the branch and the pipe tables.
inline constexpr TableColumn kPostFlashTemperatureColumn{
    "postflash_temperature_K", "K", "outflow after expansion to ambient pressure: temperature", kToolCsv};
inline constexpr TableColumn kPostFlashVelocityColumn{"postflash_velocity_m_per_s", "m/s",
                                                      "outflow after expansion: velocity", kToolCsv};
inline constexpr TableColumn kPostFlashLiquidFractionColumn{"postflash_liquid_fraction", "",
                                                            "outflow after expansion: liquid mass fraction", kToolCsv};
inline constexpr TableColumn kPostFlashDropSizeColumn{"postflash_drop_size_m", "m",
                                                      "outflow after expansion: drop size", kToolCsv};

// Expands the gas leaving at exit pressure pe with orifice velocity u (a
// warning 1004 when u exceeds the expansion's maximum velocity).
PostFlashState expandOutflow(const VORL& model, double exitPressure, double orificeVelocity);
// The same for a stored or looked-up branch state.
PostFlashState expandBranchState(const VORL& model, const GB& state);
// The pipe at the time last set: the branches' states combined, weighted by
// their positive outflows. False when no branch has a state at that time.
bool pipePostFlash(const VORL& model, PostFlashState& result);

// The expansions of the rows of one table. The model's inputs do not change
// while a table is filled, so the expansion's check of them runs once, before
// the first expansion. When the expansion refuses them (350 to 371) a row gets
// the zeros the post-flash queries write then, and the refusal is reported
// once for the table rather than once a row.
class TableExpansion {
 public:
  explicit TableExpansion(const VORL& model) noexcept : model_(model) {}
  PostFlashState ofBranchState(const GB& state);
  // The pipe at the time set; zeros when no branch state is kept.
  PostFlashState ofPipe();

 private:
  template <class Expand>
  PostFlashState orZeros(Expand expand);
  const VORL& model_;
  bool inputsChecked_ = false;
  bool refusalReported_ = false;
};

}  // namespace vorl
