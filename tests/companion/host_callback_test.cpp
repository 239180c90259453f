// Host callbacks: a replaced callback is never called again, from any thread; callbacks may call the library.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "support/run_line.h"

namespace {

using namespace vorl::test;

// A host's context, destroyed once its callback is removed; the callback dwells so that a call outlives the removal.
struct Context {
  std::atomic<bool> alive{true};
  std::atomic<int> calls{0};
  std::atomic<int> callsAfterDeath{0};
};

void dwellThenTouch(void* user) {
  Context& context = *static_cast<Context*>(user);
  context.calls.fetch_add(1);
  const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(200);
  while (std::chrono::steady_clock::now() < until) {
  }
  if (!context.alive.load()) context.callsAfterDeath.fetch_add(1);
}

void VORL_CALL handler(int, const char*, int, const char*, void* user) { dwellThenTouch(user); }
void VORL_CALL sink(const char*, void* user) { dwellThenTouch(user); }

// Another thread reports (or runs) while this one installs, awaits, removes and destroys a callback, many times.
template <class Install, class Work>
int callsAfterRemoval(Install install, Work work) {
  std::atomic<bool> stop{false};
  std::thread worker([&] {
    while (!stop.load()) work();
  });
  int late = 0;
  for (int round = 0; round < 40; ++round) {
    auto context = std::make_unique<Context>();
    install(context.get());
    while (context->calls.load() == 0) std::this_thread::yield();
    install(nullptr);
    context->alive = false;
    // Anything still to come would come now.
    std::this_thread::sleep_for(std::chrono::microseconds(400));
    late += context->callsAfterDeath.load();
  }
  stop = true;
  worker.join();
  VorlErrorLogClear();
  return late;
}

TEST(HostCallbacks, ARemovedErrorHandlerIsNeverCalledAgainFromAnotherThread) {
  const int late = callsAfterRemoval(
      [](Context* context) { VorlErrorHandlerSet(context != nullptr ? &handler : nullptr, context); },
      [] { VorlError(VORL_E_NOT_POSITIVE, "worker"); });
  EXPECT_EQ(late, 0);
}

TEST(HostCallbacks, ARemovedProgressSinkIsNeverCalledAgainFromARunOnAnotherThread) {
  ModelHandle model(methaneLine());
  const int late = callsAfterRemoval(
      [](Context* context) { VorlDebugOutputSet(context != nullptr ? &sink : nullptr, context); },
      [&] { VorlRun(model); });
  EXPECT_EQ(late, 0);
}

// A handler that reads the log, logs a report of its own and sets the
// handler again, all from inside the handler.
struct Busy {
  int calls = 0;
  int countSeen = 0;
};

void VORL_CALL busyHandler(int, const char*, int, const char*, void* user) {
  Busy& busy = *static_cast<Busy*>(user);
  ++busy.calls;
  busy.countSeen = VorlErrorLogCount();
  VorlError(14, "inside");                   // logged, not handed back to this handler
  VorlErrorHandlerSet(&busyHandler, user);  // does not wait for this very call
  VorlPipeLength(nullptr);                   // a library call that reports
}

TEST(HostCallbacks, AHandlerThatCallsTheLibraryNeitherDeadlocksNorRecurses) {
  VorlErrorLogClear();
  Busy busy;
  VorlErrorHandlerSet(&busyHandler, &busy);
  VorlError(VORL_E_NOT_POSITIVE, "outside");
  VorlErrorHandlerSet(nullptr, nullptr);
  EXPECT_EQ(busy.calls, 1);
  EXPECT_EQ(busy.countSeen, 1);
  const auto reports = loggedReports();
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[1].code, VORL_E_NEGATIVE_ROOT);
  EXPECT_EQ(reports[2].code, VORL_E_NO_MODEL);
  VorlErrorLogClear();
}

// Two threads whose handlers set the handler while the other thread is in
// its handler: both finish.
void VORL_CALL settingHandler(int, const char*, int, const char*, void* user) {
  std::this_thread::sleep_for(std::chrono::microseconds(50));
  VorlErrorHandlerSet(&settingHandler, user);
}

TEST(HostCallbacks, HandlersSettingHandlersOnTwoThreadsDoNotDeadlock) {
  VorlErrorHandlerSet(&settingHandler, nullptr);
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 200; ++i) VorlError(VORL_E_NOT_POSITIVE, "both");
    });
  }
  for (auto& thread : threads) thread.join();
  VorlErrorHandlerSet(nullptr, nullptr);
  EXPECT_EQ(VorlErrorLogCount(), 400);
  VorlErrorLogClear();
}

}  // namespace
