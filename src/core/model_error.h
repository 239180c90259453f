#pragma once

#include <string>

namespace vorl {

// An error or warning report of the property library's family: an integer
// code, a location tag naming the routine that raised it, the product that
// raised it, a severity level and a one-line message in plain English. The
// type only: companion/reporting logs it.
class MODELERROR {
 public:
  MODELERROR(int code, const char* tag, std::string message = {});
  MODELERROR(const MODELERROR&) = default;
  MODELERROR& operator=(const MODELERROR&) = default;
  virtual ~MODELERROR();

  int eError() const noexcept { return code_; }
  const std::string& tag() const noexcept { return tag_; }
  const std::string& product() const noexcept { return product_; }
  // The message as raised ("" when the code's own text stands for it).
  const std::string& message() const noexcept { return message_; }
  int level() const noexcept { return level_; }
  // A warning: the work goes on after it (the log keeps errors before warnings).
  bool isWarning() const noexcept { return warning_; }
  void markWarning() noexcept { warning_ = true; }
  // The full one-line report, "<product> <code> <tag>: <what went wrong>".
  std::string eGetErrorString() const;

 protected:
  void setProduct(const char* product) { product_ = product; }
  void setLevel(int level) noexcept { level_ = level; }

 private:
  int code_;
  std::string tag_;
  std::string product_;
  int level_ = 1;
  std::string message_;
  bool warning_ = false;
};

}  // namespace vorl
