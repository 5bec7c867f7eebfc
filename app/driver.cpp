#include "app/driver.h"

#include <exception>
#include <stdexcept>
#include <variant>

#include "app/check_files.h"
#include "app/command_line.h"
#include "app/exit_status.h"
#include "app/help.h"
#include "app/options.h"
#include "app/output_folder.h"
#include "app/preprocess_file.h"
#include "app/settings.h"
#include "app/standard_error.h"
#include "app/usage.h"

namespace wqnprep {
namespace {

int run(const Settings& settings) {
  switch (settings.action) {
    case Action::kShowHelp:
      printHelp(settings.program);
      return kSuccess;
    case Action::kShowVersion:
      printVersion();
      return kSuccess;
    case Action::kListSymbols:
      printSymbolList();
      return kSuccess;
    case Action::kShowUsage:
      printUsage(settings.program);
      return kUsageError;
    case Action::kCheck:
      return checkFiles(settings);
    case Action::kPreprocessIntoFolder:
      return preprocessIntoFolder(settings);
    case Action::kPreprocess:
      return preprocessFile(settings.paths[0], settings.paths[1], settings);
  }
  throw std::logic_error("unhandled command-line action");
}

}  // namespace

int runMain(int argc, char* argv[]) {
  try {
    const auto settings = settingsFrom(parseCommandLine(kOptions, argc, argv, kOptionAliases),
                                       argc > 0 && argv[0] != nullptr ? argv[0] : "wqnprep");
    if (const auto* wrong = std::get_if<WrongCommandLine>(&settings)) {
      printToStandardError(wrong->message);
      return kUsageError;
    }
    return run(std::get<Settings>(settings));
  } catch (const std::exception& error) {
    reportError(error);
    return kFailure;
  }
}

std::vector<bool> pathArguments(int argc, char* argv[]) {
  std::vector<bool> paths(static_cast<std::size_t>(argc > 0 ? argc : 0), false);
  for (const int at : parseCommandLine(kOptions, argc, argv, kOptionAliases).pathArguments)
    paths[static_cast<std::size_t>(at)] = true;
  return paths;
}

int refuseCommandLine(const std::string& programPath, const std::string& reason) {
  printToStandardError(describeWrongCommandLine(programName(programPath), reason));
  return kUsageError;
}

}  // namespace wqnprep
