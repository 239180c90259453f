#pragma once

#include <condition_variable>
#include <mutex>

namespace vorl {

// A callback a host installs (error handler, progress sink) with its user
// pointer, called from any thread. Two promises to the host:
//
// - Once set() returns, the callback it replaced is never called again: set()
//   waits for the calls of it already running on other threads. A call
//   running on the setting thread itself (a callback that sets the callback)
//   is not waited for, and neither is one whose thread is itself waiting in
//   set(), so that callbacks that set callbacks cannot deadlock.
// - A callback is not called again from inside itself on the same thread: a
//   callback that reports or runs something the library would hand back to
//   it is not re-entered (the report is still logged).
//
// No lock is held while the host's function runs.
template <class Function>
class HostCallback {
 public:
  template <class... Arguments>
  void call(Arguments... arguments) noexcept {
    if (insideDepth_ > 0) return;
    Function function;
    void* user;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      function = function_;
      user = user_;
      if (function == nullptr) return;
      ++running_;
    }
    ++insideDepth_;
    try {
      function(arguments..., user);
    } catch (...) {
      // A host's exception has nowhere to go through a C interface.
    }
    --insideDepth_;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      --running_;
    }
    idle_.notify_all();
  }

  void set(Function function, void* user) noexcept {
    std::unique_lock<std::mutex> lock(mutex_);
    function_ = function;
    user_ = function != nullptr ? user : nullptr;
    const int mine = insideDepth_;
    waitingInside_ += mine;
    idle_.wait(lock, [this] { return running_ - waitingInside_ == 0; });
    waitingInside_ -= mine;
    lock.unlock();
    idle_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable idle_;
  Function function_ = nullptr;
  void* user_ = nullptr;
  int running_ = 0;        // calls of the host's function in progress, all threads
  int waitingInside_ = 0;  // of those, the ones whose thread waits in set()
  // Calls in progress on this thread (0 or 1: no call re-enters).
  inline static thread_local int insideDepth_ = 0;
};

}  // namespace vorl
