#include "app/command_line.h"

#include <string_view>

namespace wqnprep {

CommandLine parseCommandLine(int argc, const char* const argv[]) {
  CommandLine line;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      line.paths.emplace_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "-h" || arg == "--help") {
      line.help = true;
    } else if (arg == "--version") {
      line.version = true;
    } else if (arg == "--list") {
      line.list = true;
    } else if (arg == "--warn-unknown") {
      line.warnUnknown = true;
    } else if (arg == "--strict") {
      line.strict = true;
    } else if (arg.starts_with("--ignore=")) {
      line.ignored.emplace_back(arg.substr(std::string_view("--ignore=").size()));
    } else {
      line.valid = false;
    }
  }
  return line;
}

}  // namespace wqnprep
