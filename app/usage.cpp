#include "app/usage.h"

#include "app/standard_output.h"

namespace wqnprep {
namespace {

// "-x": one letter after one dash, which GNU tools name on its own.
bool isShortForm(const std::string& option) {
  return option.size() == 2 && option[0] == '-' && option[1] != '-';
}

}  // namespace

std::string programName(const std::string& programPath) {
  const std::string::size_type separator = programPath.find_last_of("/\\");
  return separator == std::string::npos ? programPath : programPath.substr(separator + 1);
}

void printUsage(const std::string& name) {
  writeToStandardOutput("use " + name + " <input filename> <output filename>\n");
}

std::string describeWrongCommandLine(const std::string& name, const std::string& reason) {
  return name + ": " + reason + "\nTry '" + name + " --help' for more information.";
}

std::string describeMistake(const std::string& name, const CommandLineMistake& mistake) {
  using Kind = CommandLineMistake::Kind;
  const std::string& option = mistake.option;
  std::string text;
  switch (mistake.kind) {
    case Kind::kUnknownOption:
      text += isShortForm(option) ? "invalid option -- '" + option.substr(1) + "'"
                                  : "unrecognized option '" + option + "'";
      break;
    case Kind::kMissingArgument:
      text += isShortForm(option) ? "option requires an argument -- '" + option.substr(1) + "'"
                                  : "option '" + option + "' requires an argument";
      break;
    case Kind::kUnexpectedArgument:
      text += "option '" + option + "' doesn't allow an argument";
      break;
  }
  return describeWrongCommandLine(name, text);
}

}  // namespace wqnprep
