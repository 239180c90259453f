// Help texts of the commands, and the case-key reference derived from the
// key table (for --help, `brimlow keys` and the documentation).
#ifndef BRIMLOW_HELP_H
#define BRIMLOW_HELP_H

#include <string>
#include <vector>

namespace brimlow {

// "brimlow", "run", "batch", "materials" or "keys" (the tool's own help for
// any other name).
std::string helpText(const std::string& command);

// Whether the command has a help text of its own.
bool hasHelp(const std::string& command);

// The case keys as a Markdown table (| Key | Unit | Default | Meaning |).
std::string keysMarkdown();

// `brimlow keys [--markdown]`.
int keysCommand(const std::vector<std::string>& arguments);

}  // namespace brimlow

#endif
