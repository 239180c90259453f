// `brimlow materials`: the library's materials as a table, with the gas
// constant and sound speed the flow in the pipe takes for each.
#ifndef BRIMLOW_MATERIALS_COMMAND_H
#define BRIMLOW_MATERIALS_COMMAND_H

#include <string>
#include <vector>

namespace brimlow {

// Prints the table; returns the exit status.
int materialsCommand(const std::vector<std::string>& arguments);

}  // namespace brimlow

#endif
