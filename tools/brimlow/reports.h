// The library's reports (errors and warnings) of the work done on one thread.
//
// The library calls one process-wide handler for every report, on the thread
// that raised it. The handler hands each report to the capture open on that
// thread, so that cases run on different threads each see their own reports.
#ifndef BRIMLOW_REPORTS_H
#define BRIMLOW_REPORTS_H

#include <limits>
#include <string>
#include <vector>

namespace brimlow {

struct Report {
  int code = 0;
  std::string tag;
  std::string message;
  // The value the report quotes (an orifice velocity), NaN when none.
  double value = std::numeric_limits<double>::quiet_NaN();
  // Codes from 1000 on are warnings: logged, and the work went on.
  bool isWarning() const { return code >= 1000; }
};

// Installs the handler; call once before any model is made.
void installReportHandler();

// Collects the reports raised on this thread while it exists. Captures nest:
// the innermost one receives.
class ReportCapture {
 public:
  ReportCapture();
  ~ReportCapture();
  ReportCapture(const ReportCapture&) = delete;
  ReportCapture& operator=(const ReportCapture&) = delete;

  const std::vector<Report>& reports() const { return reports_; }
  void add(Report report) { reports_.push_back(std::move(report)); }
  // The first error (not a warning) since `from`, or null.
  const Report* firstErrorSince(std::size_t from) const;

 private:
  std::vector<Report> reports_;
  ReportCapture* outer_;
};

// Warnings gathered into one line each: "message (N times)" for repeats of a
// code, keeping the first message of each code, its numbers written with four
// significant figures (the library writes them in full).
std::vector<std::string> warningLines(const std::vector<Report>& reports);

}  // namespace brimlow

#endif
