#pragma once

#include <string>
#include <vector>

#include "vorl.h"

namespace vorl::test {

// One logged report as a host reads it through the C interface.
struct LoggedReport {
  int code;
  std::string tag;
  std::string message;
};

inline std::vector<LoggedReport> loggedReports() {
  std::vector<LoggedReport> reports;
  char tag[64];
  char message[512];
  for (int i = 0; i < VorlErrorLogCount(); ++i) {
    VorlErrorLogTag(i, tag, sizeof tag);
    VorlErrorLogMessage(i, message, sizeof message);
    reports.push_back({VorlErrorLogCode(i), tag, message});
  }
  return reports;
}

inline LoggedReport lastReport() {
  const auto reports = loggedReports();
  return reports.empty() ? LoggedReport{0, "", ""} : reports.back();
}

// Owns a model handle for a test and deletes it at the end.
class ModelHandle {
 public:
  explicit ModelHandle(VorlHandle handle) : handle_(handle) {}
  ~ModelHandle() { VorlModelDelete(&handle_); }
  ModelHandle(const ModelHandle&) = delete;
  ModelHandle& operator=(const ModelHandle&) = delete;
  VorlHandle get() const { return handle_; }
  operator VorlHandle() const { return handle_; }

 private:
  VorlHandle handle_;
};

constexpr int kMethane = 74828;
constexpr int kPropane = 74986;
constexpr int kNitrogen = 7727379;

}  // namespace vorl::test
