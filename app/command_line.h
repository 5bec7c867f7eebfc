// The command line: `wqnprep [OPTIONS] INPUT OUTPUT`.
#pragma once

#include <string>
#include <vector>

namespace wqnprep {

struct CommandLine {
  bool valid = true;  // false for an unknown option
  bool help = false;
  bool version = false;
  bool list = false;
  bool warnUnknown = false;
  bool strict = false;
  std::vector<std::string> ignored;  // the KIND of each --ignore=KIND, unchecked
  std::vector<std::string> paths;    // everything that is not an option, in order
};

// Options may come before, between or after the paths; "--" ends them, so that a path after it
// may begin with '-'. A lone "-" is a path (standard input or output).
CommandLine parseCommandLine(int argc, const char* const argv[]);

}  // namespace wqnprep
