#include "app/driver.h"

#include <exception>
#include <stdexcept>
#include <variant>

#include "app/check_files.h"
#include "app/command_line.h"
#include "app/diagnostics.h"
#include "app/exit_status.h"
#include "app/help.h"
#include "app/options.h"
#include "app/ordered_jobs.h"
#include "app/output_folder.h"
#include "app/preprocess_file.h"
#include "app/settings.h"
#include "app/standard_error.h"
#include "app/usage.h"
#include "lsp/server_loop.h"

namespace wqnprep {
namespace {

// A run over files, with standard error in the format the settings name: an error that ends the
// run is one of its messages, and comes before a document's end.
template <typename RunOverFiles>
int withDiagnostics(const Settings& settings, RunOverFiles runOverFiles) {
  DiagnosticsScope diagnostics(settings.findingFormat, settings.columnUnit);
  int status = kFailure;
  try {
    status = runOverFiles();
  } catch (const std::exception& error) {
    reportError(error);
  }
  diagnostics.finish();
  return status;
}

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
    case Action::kServeLanguage:
      return withDiagnostics(settings, [&] { return lsp::serveStandardStreams(settings.kinds); });
    case Action::kCheck:
      return withDiagnostics(settings, [&] { return checkFiles(settings); });
    case Action::kPreprocessIntoFolder:
      return withDiagnostics(settings, [&] { return preprocessIntoFolder(settings); });
    case Action::kPreprocess:
      return withDiagnostics(settings, [&] {
        return preprocessFile(settings.paths[0], settings.paths[1], settings, {}, false,
                              twoThreadsEach(1, settings.jobs));
      });
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
