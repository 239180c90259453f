#include "output_files.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brimlow {
namespace {

std::string reasonText(int error) { return std::strerror(error != 0 ? error : EIO); }

// The mode the file at path will have: that of the file it replaces, or for
// a new one what fopen would give, read and write for all less the process's
// umask (mkstemp makes the temporary file private).
mode_t replacementMode(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return static_cast<mode_t>(info.st_mode & 07777);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

enum class PathKind { kMissing, kRegular, kDirectory, kOther };

PathKind kindOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return PathKind::kMissing;
  if (S_ISREG(info.st_mode)) return PathKind::kRegular;
  return S_ISDIR(info.st_mode) ? PathKind::kDirectory : PathKind::kOther;
}

// The temporary files not yet renamed or removed, for a signal that ends the
// process (Ctrl-C, a terminal closed, kill): its handler removes them, with
// unlink, which a handler may call, and ends the process as the signal
// would have. Each slot holds the name of one live StagedFile.
constexpr int kStagedSlots = 64;
std::atomic<const char*> stagedNames[kStagedSlots];
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

extern "C" void removeStagedAndEnd(int signal) {
  for (std::atomic<const char*>& slot : stagedNames) {
    if (const char* name = slot.exchange(nullptr)) ::unlink(name);
  }
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

// Installed once, for the signals whose default ends the process: a handler
// the tool set itself (the reference run's Ctrl-C) stays, and restores this
// one when it goes.
void installStagedCleanup() {
  static std::once_flag installed;
  std::call_once(installed, [] {
    for (int signal : kEndingSignals) {
      struct sigaction current {};
      if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
      struct sigaction action {};
      action.sa_handler = removeStagedAndEnd;
      sigemptyset(&action.sa_mask);
      ::sigaction(signal, &action, nullptr);
    }
  });
}

int holdStagedName(const char* name) {
  installStagedCleanup();
  for (int i = 0; i < kStagedSlots; ++i) {
    const char* empty = nullptr;
    if (stagedNames[i].compare_exchange_strong(empty, name)) return i;
  }
  return -1;  // more files at once than slots: the destructor still removes them
}

void releaseStagedName(int slot, const char* name) {
  if (slot < 0) return;
  const char* held = name;
  stagedNames[slot].compare_exchange_strong(held, nullptr);
}

// Holds back the ending signals while a staged file and its slot come into
// being together: a signal between the two would end the process by its
// default action and leave the file behind. One held meanwhile is delivered
// when the guard goes, with the name in its slot.
class EndingSignalsHeld {
 public:
  EndingSignalsHeld() {
    sigset_t ending;
    sigemptyset(&ending);
    for (int signal : kEndingSignals) sigaddset(&ending, signal);
    ::pthread_sigmask(SIG_BLOCK, &ending, &previous_);
  }
  ~EndingSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  EndingSignalsHeld(const EndingSignalsHeld&) = delete;
  EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

 private:
  sigset_t previous_ {};
};

}  // namespace

bool CheckedStream::write(const std::string& text) {
  if (error_ != 0) return false;
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
    error_ = errno != 0 ? errno : EIO;
    return false;
  }
  return true;
}

bool CheckedStream::flush() {
  if (error_ != 0) return false;
  errno = 0;
  if (std::fflush(file_) != 0 || std::ferror(file_)) {
    error_ = errno != 0 ? errno : EIO;
    return false;
  }
  return true;
}

std::string CheckedStream::problem() const { return "cannot write " + name_ + " (" + reasonText(error_) + ")"; }

bool writeStandardOutput(const std::string& text, std::string& problem) {
  CheckedStream out(stdout, "standard output");
  if (out.write(text) && out.flush()) return true;
  problem = out.problem();
  return false;
}

StagedFile::~StagedFile() {
  if (file_ != nullptr) std::fclose(file_);
  // Removed before its slot is freed, so that a signal in between still finds it.
  if (!staging_.empty() && !committed_) ::unlink(staging_.c_str());
  releaseStagedName(slot_, staging_.c_str());
}

bool StagedFile::create(const std::string& path, std::string& problem) {
  path_ = path;
  const PathKind kind = kindOf(path);
  if (kind == PathKind::kDirectory) {
    problem = path + " is a directory";
    return false;
  }
  std::error_code error;
  if (kind == PathKind::kOther || std::filesystem::is_symlink(path, error)) {
    file_ = std::fopen(path.c_str(), "wb");
  } else {
    const std::filesystem::path final(path);
    const std::string directory = final.parent_path().string();
    std::string name = (directory.empty() ? "" : directory + "/") + "." + final.filename().string() + ".tmp-XXXXXX";
    int descriptor = -1;
    {
      const EndingSignalsHeld held;
      descriptor = ::mkstemp(name.data());
      if (descriptor >= 0) {
        staging_ = name;
        slot_ = holdStagedName(staging_.c_str());
      }
    }
    if (descriptor >= 0) {
      ::fchmod(descriptor, replacementMode(path));
      file_ = ::fdopen(descriptor, "wb");
      if (file_ == nullptr) ::close(descriptor);
    }
  }
  if (file_ == nullptr) {
    problem = "cannot write " + path + " (" + reasonText(errno) + ")";
    return false;
  }
  stream_ = std::make_unique<CheckedStream>(file_, path);
  return true;
}

bool StagedFile::writeAll(const std::string& text, std::string& problem) {
  if (stream_->write(text)) return true;
  problem = stream_->problem();
  return false;
}

bool StagedFile::close(std::string& problem) {
  if (file_ == nullptr) return true;
  const bool flushed = stream_->flush();
  const int closed = std::fclose(file_);
  const int closeError = errno;
  file_ = nullptr;
  if (!flushed) {
    problem = stream_->problem();
    return false;
  }
  if (closed != 0) {
    problem = "cannot write " + path_ + " (" + reasonText(closeError) + ")";
    return false;
  }
  return true;
}

bool StagedFile::commit(std::string& problem) {
  if (!close(problem)) return false;
  if (staging_.empty()) return true;  // written directly
  // Renamed, the file is the output: a signal from now on leaves it.
  releaseStagedName(slot_, staging_.c_str());
  slot_ = -1;
  if (::rename(staging_.c_str(), path_.c_str()) != 0) {
    problem = errno == EISDIR ? path_ + " is a directory"
                              : "cannot write " + path_ + " (" + reasonText(errno) + ")";
    return false;
  }
  committed_ = true;
  return true;
}

ScratchFile::~ScratchFile() {
  releaseStagedName(slot_, path_.c_str());
  if (!path_.empty()) ::unlink(path_.c_str());
}

bool ScratchFile::create(const std::string& stem, const std::string& text, std::string& problem) {
  std::error_code error;
  const std::filesystem::path directory = std::filesystem::temp_directory_path(error);
  std::string name = ((error ? std::filesystem::path("/tmp") : directory) / (stem + "-XXXXXX")).string();
  const int descriptor = ::mkstemp(name.data());
  if (descriptor < 0) {
    problem = "cannot write a temporary file in " + directory.string() + " (" + reasonText(errno) + ")";
    return false;
  }
  path_ = name;
  slot_ = holdStagedName(path_.c_str());
  std::FILE* file = ::fdopen(descriptor, "wb");
  if (file == nullptr) {
    problem = "cannot write " + path_ + " (" + reasonText(errno) + ")";
    ::close(descriptor);
    return false;
  }
  CheckedStream stream(file, path_);
  const bool written = stream.write(text) && stream.flush();
  if (std::fclose(file) != 0 || !written) {
    problem = stream.problem();
    return false;
  }
  return true;
}

}  // namespace brimlow
