#pragma once

#include "model/vorl.h"

namespace vorl {

// The model's time setting as it was before a table walked its times, put
// back afterwards (also when a row fails): a host's VorlPipeTimeSet holds
// across a table call.
class KeptTimeSetting {
 public:
  explicit KeptTimeSetting(VORL& model) : model_(model), kept_(model.pipeTimeState()) {}
  ~KeptTimeSetting() { model_.pipeTimeState() = kept_; }
  KeptTimeSetting(const KeptTimeSetting&) = delete;
  KeptTimeSetting& operator=(const KeptTimeSetting&) = delete;

 private:
  VORL& model_;
  PipeTimeState kept_;
};

}  // namespace vorl
