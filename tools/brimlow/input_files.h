// Reading the tool's inputs with bounded memory: a case file is read whole
// up to a size limit, a batch file is read as a stream. Files that are no
// regular files (pipes, devices such as /dev/urandom) are read only as far as
// the limits allow; a directory is refused with that name.
#ifndef BRIMLOW_INPUT_FILES_H
#define BRIMLOW_INPUT_FILES_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace brimlow {

// The largest case file read: a few hundred thousand valves fit in it.
constexpr std::size_t kCaseFileLimit = std::size_t{32} << 20;  // bytes (32 MiB)

// An input file opened for reading ("-": standard input).
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens name; false with a problem ("is a directory, not a <what>",
  // "cannot read the file (reason)").
  bool open(const std::string& name, const char* what, std::string& problem);
  // Reads up to size bytes; 0 at the end of the input or on an error.
  std::size_t read(char* buffer, std::size_t size);
  // The reason of a failed read, "" when none failed.
  std::string readProblem() const;
  // The size of a regular file, 0 for any other input.
  std::uint64_t regularSize() const { return regularSize_; }
  // Whether path names this same file (through any link).
  bool isSameFileAs(const std::string& path) const;

 private:
  int descriptor_ = -1;
  bool ownsDescriptor_ = false;
  std::uint64_t regularSize_ = 0;
  std::uint64_t device_ = 0, inode_ = 0;
  int readError_ = 0;
};

// Reads a whole case file of at most limit bytes; false with a problem. A
// regular file larger than the limit is refused before anything is read.
bool readCaseFile(const std::string& name, std::size_t limit, std::string& text, std::string& problem);

// "32 MiB" for a limit in bytes.
std::string sizeText(std::size_t bytes);

}  // namespace brimlow

#endif
