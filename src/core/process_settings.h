#pragma once

#include <atomic>

namespace vorl {

// The process-wide switches shared by every model. They are atomics, so that
// models running on several threads read and set them safely.

// The breach outflow may choke at the orifice (true when the library loads).
inline std::atomic<bool> chokeModelAllowed{true};

// Flow-sequence sizes count only the records before the first infinite time
// (switched on for good by the one-call entry).
inline std::atomic<bool> truncateAtInfinite{false};

// Windows: a report at or above this level also shows a message box; 0 (the
// default) shows none, so that batch runs never block.
inline std::atomic<int> messageBoxWarningLevel{0};

}  // namespace vorl
