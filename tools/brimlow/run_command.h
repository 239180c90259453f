// `brimlow run`: one case, its summary and its output files.
#ifndef BRIMLOW_RUN_COMMAND_H
#define BRIMLOW_RUN_COMMAND_H

#include <string>
#include <vector>

namespace brimlow {

int runCommand(const std::vector<std::string>& arguments);

}  // namespace brimlow

#endif
