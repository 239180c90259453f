// What the interface does only on Windows: the author text is a BSTR of the
// system allocator, and a run writes its progress lines to the debugger
// output channel (OutputDebugStringA), where a debug-output viewer reads them
// through the DBWIN buffer. Runs cross-built under Wine.
#include <gtest/gtest.h>

#if defined(_WIN32)

#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/run_line.h"
#include "vorl.h"

namespace {

TEST(WindowsAuthor, IsABstrThatTheSystemAllocatorFrees) {
  BSTR first = Author();
  BSTR second = Author();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second) << "each call gives the caller a string of its own";
  // A BSTR carries its length in characters before the text.
  EXPECT_EQ(std::wstring(first, SysStringLen(first)), L"Peter Orrin");
  SysFreeString(first);       // the host's own free function
  VorlStringFree(second);     // or the library's
  VorlStringFree(nullptr);
}

// A debug-output viewer: the shared buffer and the two events of the DBWIN
// protocol. OutputDebugStringA waits until the buffer is ready, writes the
// process id and the text, and signals that data is ready.
class DebugOutputViewer {
 public:
  DebugOutputViewer() {
    mutex_ = CreateMutexA(nullptr, FALSE, "DBWinMutex");
    bufferReady_ = CreateEventA(nullptr, FALSE, TRUE, "DBWIN_BUFFER_READY");
    dataReady_ = CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY");
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, "DBWIN_BUFFER");
    if (mapping_ != nullptr) view_ = static_cast<char*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 4096));
    if (ready()) reader_ = std::thread([this] { read(); });
  }

  ~DebugOutputViewer() {
    stop_ = true;
    if (reader_.joinable()) reader_.join();
    if (view_ != nullptr) UnmapViewOfFile(view_);
    for (HANDLE handle : {mapping_, dataReady_, bufferReady_, mutex_}) {
      if (handle != nullptr) CloseHandle(handle);
    }
  }

  bool ready() const {
    return mutex_ != nullptr && bufferReady_ != nullptr && dataReady_ != nullptr && view_ != nullptr;
  }

  // The lines this process wrote, once the viewer has read all of them: a
  // marker line written last must have come through.
  std::vector<std::string> lines() {
    OutputDebugStringA(kMarker);
    for (int wait = 0; wait < 500; ++wait) {
      {
        std::lock_guard<std::mutex> lock(linesMutex_);
        if (!lines_.empty() && lines_.back() == kMarker) {
          return std::vector<std::string>(lines_.begin(), lines_.end() - 1);
        }
      }
      Sleep(10);
    }
    ADD_FAILURE() << "the viewer did not receive its own marker line";
    return {};
  }

 private:
  static constexpr const char* kMarker = "debug output viewer: end of test";

  void read() {
    const DWORD self = GetCurrentProcessId();
    while (!stop_) {
      if (WaitForSingleObject(dataReady_, 50) != WAIT_OBJECT_0) continue;
      DWORD writer = 0;
      std::memcpy(&writer, view_, sizeof writer);
      const std::string text(view_ + sizeof writer, strnlen(view_ + sizeof writer, 4096 - sizeof writer));
      if (writer == self) {
        std::lock_guard<std::mutex> lock(linesMutex_);
        lines_.push_back(text);
      }
      SetEvent(bufferReady_);
    }
  }

  HANDLE mutex_ = nullptr;
  HANDLE bufferReady_ = nullptr;
  HANDLE dataReady_ = nullptr;
  HANDLE mapping_ = nullptr;
  char* view_ = nullptr;
  std::atomic<bool> stop_{false};
  std::thread reader_;
  std::mutex linesMutex_;
  std::vector<std::string> lines_;
};

TEST(WindowsDebugOutput, ARunWritesOneProgressLinePerStepToTheDebuggerChannel) {
  DebugOutputViewer viewer;
  ASSERT_TRUE(viewer.ready()) << "no DBWIN buffer, error " << GetLastError();

  const vorl::test::RunLine line;  // the methane line, breached at 30 km
  ASSERT_GT(line.count, 0);
  const int sizeA = VorlBranchAFlowSequenceSize(line);
  const int sizeB = VorlBranchBFlowSequenceSize(line);

  const std::vector<std::string> lines = viewer.lines();
  int branchA = 0, branchB = 0, finished = 0;
  for (const std::string& line : lines) {
    if (line.rfind("A", 0) == 0) ++branchA;
    if (line.rfind("B", 0) == 0) ++branchB;
    if (line.find("finished") != std::string::npos) ++finished;
    EXPECT_NE(line.find(" t="), std::string::npos) << "not a progress line: " << line;
  }
  // One line per step attempt of each branch; a step that stores no state
  // still writes its line, so there are at least as many as stored steps.
  EXPECT_GE(branchA, sizeA - 2) << "branch A stored " << sizeA << " states";
  EXPECT_GE(branchB, sizeB - 2) << "branch B stored " << sizeB << " states";
  EXPECT_GE(finished, 1) << "no branch reported the end of its run";
}

}  // namespace

#endif  // _WIN32
