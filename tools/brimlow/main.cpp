// brimlow: the command-line tool of the vorl library.
#include <cstdio>
#include <string>
#include <vector>

#include "batch.h"
#include "help.h"
#include "materials.h"
#include "reports.h"
#include "run_command.h"
#include "status.h"

int main(int argc, char** argv) {
  using namespace brimlow;
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.empty()) {
    std::fputs("usage: brimlow run|batch|materials|keys ... (brimlow --help tells more)\n", stderr);
    return kExitUsage;
  }
  const std::string command = arguments.front();
  arguments.erase(arguments.begin());
  if (command == "--help" || command == "-h" || command == "help") {
    std::fputs(helpText(arguments.empty() ? "brimlow" : arguments.front()).c_str(), stdout);
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
