#include "reports.h"

#include <map>

#include "numbers.h"
#include "vorl.h"

namespace brimlow {
namespace {

thread_local ReportCapture* activeCapture = nullptr;

// The message without the log's own prefix "VORL <code> <tag>: ", which
// repeats what the report carries.
std::string plainMessage(int code, const std::string& tag, const std::string& message) {
  const std::string prefix = "VORL " + std::to_string(code) + (tag.empty() ? "" : " " + tag) + ": ";
  if (message.compare(0, prefix.size(), prefix) == 0) return message.substr(prefix.size());
  return message;
}

void VORL_CALL onReport(int code, const char* tag, int /*level*/, const char* message, void* /*user*/) {
  if (activeCapture == nullptr) return;
  const std::string tagText = tag != nullptr ? tag : "";
  activeCapture->add(Report{code, tagText, plainMessage(code, tagText, message != nullptr ? message : "")});
}

}  // namespace

void installReportHandler() { VorlErrorHandlerSet(onReport, nullptr); }

ReportCapture::ReportCapture() : outer_(activeCapture) { activeCapture = this; }

ReportCapture::~ReportCapture() { activeCapture = outer_; }

const Report* ReportCapture::firstErrorSince(std::size_t from) const {
  for (std::size_t i = from; i < reports_.size(); ++i) {
    if (!reports_[i].isWarning()) return &reports_[i];
  }
  return nullptr;
}

std::vector<std::string> warningLines(const std::vector<Report>& reports) {
  std::vector<int> order;
  std::map<int, std::pair<std::string, int>> byCode;
  for (const Report& report : reports) {
    if (!report.isWarning()) continue;
    auto found = byCode.find(report.code);
    if (found == byCode.end()) {
      order.push_back(report.code);
      byCode[report.code] = {report.message, 1};
    } else {
      ++found->second.second;
    }
  }
  std::vector<std::string> lines;
  for (int code : order) {
    const auto& entry = byCode[code];
    std::string line = withSignificantNumbers(entry.first);
    if (entry.second > 1) line += " (" + std::to_string(entry.second) + " times)";
    lines.push_back(line);
  }
  return lines;
}

}  // namespace brimlow
