// Writing the tool's outputs with every write checked. Files are written
// under a temporary name beside their final one and renamed to it only when
// the whole run has succeeded, so that a failed run leaves no file of its
// own, neither half of one nor a part of a set.
#ifndef BRIMLOW_OUTPUT_FILES_H
#define BRIMLOW_OUTPUT_FILES_H

#include <cstdio>
#include <memory>
#include <string>
#include <utility>

namespace brimlow {

// A stream whose first failed write is kept: later writes are skipped, and
// the problem names the stream and the reason.
class CheckedStream {
 public:
  CheckedStream(std::FILE* file, std::string name) : file_(file), name_(std::move(name)) {}
  // False once any write has failed.
  bool write(const std::string& text);
  // Flushes; false when this or an earlier write failed.
  bool flush();
  // "cannot write NAME (reason)".
  std::string problem() const;

 private:
  std::FILE* file_;
  std::string name_;
  int error_ = 0;
};

// Text written to standard output and flushed; false with a problem.
bool writeStandardOutput(const std::string& text, std::string& problem);

// A file written under a temporary name in the directory of its final path.
// Unless committed, the temporary file is removed when the object goes. A
// path that names a device or a pipe (/dev/null, a FIFO) or is a symbolic
// link (/dev/stdout) is written directly, through the link: none of them may
// be replaced by a file of the same name. A signal that ends the process
// (SIGINT, SIGTERM, SIGHUP, SIGQUIT) removes the temporary files first.
class StagedFile {
 public:
  StagedFile() = default;
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // Makes the temporary file; false with a problem ("X is a directory",
  // "cannot write X (reason)").
  bool create(const std::string& path, std::string& problem);
  const std::string& path() const { return path_; }
  // The path that receives the writes, for a program that writes it itself:
  // the temporary file, or the device or pipe written directly.
  const std::string& writtenPath() const { return staging_.empty() ? path_ : staging_; }
  CheckedStream& stream() { return *stream_; }
  // Writes all of text; false with a problem.
  bool writeAll(const std::string& text, std::string& problem);
  // Flushes and closes the temporary file; false with a problem.
  bool close(std::string& problem);
  // Renames the (closed) temporary file to the final path; false with a
  // problem.
  bool commit(std::string& problem);

 private:
  std::string path_;
  std::string staging_;  // the temporary file; "" when written directly
  int slot_ = -1;        // where a signal's handler finds its name to remove it
  std::FILE* file_ = nullptr;
  std::unique_ptr<CheckedStream> stream_;
  bool committed_ = false;
};

// A private file of the system's temporary directory holding text for
// another program, removed when the object goes.
class ScratchFile {
 public:
  ScratchFile() = default;
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  // Makes the file (named after stem) with the text in it; false with a
  // problem.
  bool create(const std::string& stem, const std::string& text, std::string& problem);
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  int slot_ = -1;  // where a signal's handler finds its name to remove it
};

}  // namespace brimlow

#endif
