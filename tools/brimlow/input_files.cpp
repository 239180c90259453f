#include "input_files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brimlow {
namespace {

constexpr std::size_t kReadChunk = std::size_t{64} << 10;  // bytes

}  // namespace

InputFile::~InputFile() {
  if (ownsDescriptor_) ::close(descriptor_);
}

bool InputFile::open(const std::string& name, const char* what, std::string& problem) {
  if (name == "-") {
    descriptor_ = STDIN_FILENO;
  } else {
    descriptor_ = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor_ < 0) {
      problem = std::string("cannot read the file (") + std::strerror(errno) + ")";
      return false;
    }
    ownsDescriptor_ = true;
  }
  struct stat info {};
  if (::fstat(descriptor_, &info) != 0) {
    problem = std::string("cannot read the file (") + std::strerror(errno) + ")";
    return false;
  }
  if (S_ISDIR(info.st_mode)) {
    problem = std::string("is a directory, not a ") + what;
    return false;
  }
  if (S_ISREG(info.st_mode)) regularSize_ = static_cast<std::uint64_t>(info.st_size);
  device_ = static_cast<std::uint64_t>(info.st_dev);
  inode_ = static_cast<std::uint64_t>(info.st_ino);
  return true;
}

std::size_t InputFile::read(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(descriptor_, buffer, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno == EINTR) continue;
    readError_ = errno;
    return 0;
  }
}

std::string InputFile::readProblem() const {
  return readError_ == 0 ? "" : std::string("cannot read the file (") + std::strerror(readError_) + ")";
}

bool InputFile::isSameFileAs(const std::string& path) const {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  return static_cast<std::uint64_t>(info.st_dev) == device_ && static_cast<std::uint64_t>(info.st_ino) == inode_;
}

bool readCaseFile(const std::string& name, std::size_t limit, std::string& text, std::string& problem) {
  InputFile file;
  if (!file.open(name, "case file", problem)) return false;
  const std::string tooLarge = "is larger than " + sizeText(limit) + ", the limit of a case file";
  if (file.regularSize() > limit) {
    problem = tooLarge;
    return false;
  }
  text.clear();
  char chunk[kReadChunk];
  // One byte past the limit tells an input that goes on from one that ends
  // at it.
  while (text.size() <= limit) {
    const std::size_t got = file.read(chunk, std::min(sizeof chunk, limit + 1 - text.size()));
    if (got == 0) break;
    text.append(chunk, got);
  }
  if (!file.readProblem().empty()) {
    problem = file.readProblem();
    return false;
  }
  if (text.size() > limit) {
    problem = tooLarge;
    return false;
  }
  return true;
}

std::string sizeText(std::size_t bytes) {
  constexpr std::size_t kMebibyte = std::size_t{1} << 20;
  constexpr std::size_t kKibibyte = std::size_t{1} << 10;
  if (bytes % kMebibyte == 0) return std::to_string(bytes / kMebibyte) + " MiB";
  if (bytes % kKibibyte == 0) return std::to_string(bytes / kKibibyte) + " KiB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace brimlow
