// `brimlow batch`: many cases from a CSV file, one summary row per case, run
// on a pool of threads.
#ifndef BRIMLOW_BATCH_H
#define BRIMLOW_BATCH_H

#include <string>
#include <vector>

namespace brimlow {

int batchCommand(const std::vector<std::string>& arguments);

}  // namespace brimlow

#endif
