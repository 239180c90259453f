// Exit status of the commands, as documented in `brimlow --help`.
#ifndef BRIMLOW_STATUS_H
#define BRIMLOW_STATUS_H

namespace brimlow {

constexpr int kExitOk = 0;
constexpr int kExitOutput = 1;      // an output could not be written, or gnuplot failed
constexpr int kExitUsage = 2;       // the command line is wrong
constexpr int kExitCaseForm = 3;    // case file missing, unreadable, not JSON, unknown keys, wrong types
constexpr int kExitCaseValue = 4;   // a value out of its range, or the library refused the case
constexpr int kExitRunFailed = 5;   // the run itself failed
constexpr int kExitCasesFailed = 6; // batch: one or more cases failed (their rows say why)
constexpr int kExitReferenceFailed = 7; // run: the fast model's answer was written, the reference solution failed
constexpr int kExitCancelled = 130; // the reference run was cancelled by Ctrl-C (128 + SIGINT, as shells give)

}  // namespace brimlow

#endif
