// The conversion run: every named day file, last argument first, or the
// default file when none is named.
#ifndef READZEMLO_CLI_RUN_H_
#define READZEMLO_CLI_RUN_H_

#include <string>
#include <vector>

namespace cli {

// Default input and output of a run without arguments. "exmaple.csv" is the
// name stored tables and scripts already use.
constexpr char kDefaultInput[] = "example.day";
constexpr char kDefaultOutput[] = "exmaple.csv";

// Runs the tool over `args` (args[0] is the program's name) and returns the
// exit status: 0 when the run completes, 1 when it ends on an output that
// cannot be created or written, an unreadable input, or an input that would
// be its own output.
int RunReadZemlo(const std::vector<std::string>& args);

}  // namespace cli

#endif  // READZEMLO_CLI_RUN_H_
