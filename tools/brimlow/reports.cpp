#include "reports.h"

#include <cmath>
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
  activeCapture->add(
      Report{code, tagText, plainMessage(code, tagText, message != nullptr ? message : ""), VorlReportValue()});
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

namespace {

// One warning code's reports: its first message, how often, and the range
// of the value the reports quote.
struct WarningSummary {
  std::string message;
  int count = 0;
  double lowest = std::nan("");
  double highest = std::nan("");

  void add(const Report& report) {
    if (count++ == 0) message = report.message;
    const double value = report.value;
    if (std::isnan(value)) return;
    lowest = std::isnan(lowest) ? value : std::fmin(lowest, value);
    highest = std::isnan(highest) ? value : std::fmax(highest, value);
  }

  std::string line() const {
    std::string text = withSignificantNumbers(message);
    if (count <= 1) return text;
    text += " (" + std::to_string(count) + " times";
    if (lowest < highest) {
      text += "; the value quoted ranged from " + withSignificantNumbers(shortText(lowest)) + " to " +
              withSignificantNumbers(shortText(highest));
    }
    return text + ")";
  }
};

}  // namespace

std::vector<std::string> warningLines(const std::vector<Report>& reports) {
  std::vector<int> order;
  std::map<int, WarningSummary> byCode;
  for (const Report& report : reports) {
    if (!report.isWarning()) continue;
    if (byCode.find(report.code) == byCode.end()) order.push_back(report.code);
    byCode[report.code].add(report);
  }
  std::vector<std::string> lines;
  for (int code : order) lines.push_back(byCode[code].line());
  return lines;
}

}  // namespace brimlow
