// The registry behind the handles: the layouts of 64-bit and 32-bit handles,
// and a model deleted while another thread still works on it.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "interface/handle_registry.h"
#include "support/run_line.h"

namespace {

using vorl::handles::HandleLayout;

template <class Layout>
void checkLayout() {
  // Every slot and generation comes back from its handle, and no handle is 0.
  for (std::uint64_t slot : {std::uint64_t{0}, std::uint64_t{1}, Layout::kSlots - 1}) {
    for (std::uint64_t generation : {std::uint64_t{1}, std::uint64_t{2}, Layout::kGenerations - 1}) {
      const std::uint64_t value = Layout::encode(slot, generation);
      EXPECT_NE(value, 0u);
      EXPECT_EQ(Layout::slotOf(value), slot);
      EXPECT_EQ(Layout::generationOf(value), generation);
    }
  }
  // A generation never wraps back to an old handle's: the slot retires.
  EXPECT_EQ(Layout::nextGeneration(1), 2u);
  EXPECT_EQ(Layout::nextGeneration(Layout::kGenerations - 2), Layout::kGenerations - 1);
  EXPECT_EQ(Layout::nextGeneration(Layout::kGenerations - 1), 0u);
}

TEST(HandleRegistry, BothHandleWidthsHoldSlotAndGenerationAndNeverWrap) {
  checkLayout<HandleLayout<64>>();
  checkLayout<HandleLayout<32>>();
  using Narrow = HandleLayout<32>;
  EXPECT_LE(Narrow::encode(Narrow::kSlots - 1, Narrow::kGenerations - 1), 0xFFFFFFFFULL);
}

// A model deleted by the host while a run on another thread is still using
// it: the run ends on a live model, which is destroyed after it.
struct Pause {
  std::atomic<bool> runStarted{false};
  std::atomic<bool> deleted{false};
};

void VORL_CALL waitForDeletion(const char*, void* user) {
  Pause& pause = *static_cast<Pause*>(user);
  pause.runStarted = true;
  while (!pause.deleted.load()) std::this_thread::yield();
}

TEST(HandleRegistry, AModelDeletedDuringARunOnAnotherThreadLivesUntilTheRunEnds) {
  const std::size_t before = vorl::handles::liveCount();
  VorlHandle model = vorl::test::methaneLine();
  const VorlHandle copy = model;
  Pause pause;
  VorlDebugOutputSet(&waitForDeletion, &pause);
  int count = -1;
  std::thread run([&] { count = VorlRun(copy); });
  while (!pause.runStarted.load()) std::this_thread::yield();
  VorlModelDelete(&model);
  EXPECT_EQ(VorlPipeLength(copy), 0.0);  // stale at once for everyone else
  pause.deleted = true;
  run.join();
  VorlDebugOutputSet(nullptr, nullptr);
  EXPECT_GT(count, 0);
  EXPECT_EQ(vorl::handles::liveCount(), before);  // destroyed once the run let go
  VorlErrorLogClear();
}

}  // namespace
