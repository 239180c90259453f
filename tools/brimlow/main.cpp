// brimlow: the command-line tool of the vorl library.
#include <cstdio>
#include <string>
#include <vector>

#include "batch.h"
#include "help.h"
#include "materials_command.h"
#include "output_files.h"
#include "reports.h"
#include "run_command.h"
#include "status.h"

namespace {

// What a command printed is flushed and checked here, so that no command
// ends with success when its output was lost (a full disk, a closed pipe).
int withOutputChecked(int status) {
  std::string problem;
  if (!brimlow::writeStandardOutput("", problem) && status == brimlow::kExitOk) {
    std::fprintf(stderr, "brimlow: %s\n", problem.c_str());
    return brimlow::kExitOutput;
  }
  return status;
}

int dispatch(const std::string& command, const std::vector<std::string>& arguments) {
  using namespace brimlow;
  if (command == "--help" || command == "-h" || command == "help") {
    const std::string topic = arguments.empty() ? "brimlow" : arguments.front();
    if (!hasHelp(topic)) {
      std::fprintf(stderr, "brimlow: no help for '%s': not a command (brimlow --help lists them)\n", topic.c_str());
      return kExitUsage;
    }
    std::fputs(helpText(topic).c_str(), stdout);
    return kExitOk;
  }
  if (command == "--version") {
    std::printf("brimlow %s\n", BRIMLOW_VERSION);
    return kExitOk;
  }
  installReportHandler();
  if (command == "run") return runCommand(arguments);
  if (command == "batch") return batchCommand(arguments);
  if (command == "materials") return materialsCommand(arguments);
  if (command == "keys") return keysCommand(arguments);
  std::fprintf(stderr, "brimlow: unknown command '%s' (brimlow --help lists them)\n", command.c_str());
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace brimlow;
  // Fully buffered, and large enough for any help or table, so that a write
  // that fails does so in the final flush, which tells why.
  static char outputBuffer[std::size_t{64} << 10];
  std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.empty()) {
    std::fputs("usage: brimlow run|batch|materials|keys ... (brimlow --help tells more)\n", stderr);
    return kExitUsage;
  }
  const std::string command = arguments.front();
  arguments.erase(arguments.begin());
  return withOutputChecked(dispatch(command, arguments));
}
