#include "app/driver.h"

#include <cstdio>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>

#include "app/command_line.h"
#include "app/diagnostics.h"
#include "app/files.h"
#include "app/help.h"
#include "app/options.h"
#include "app/preprocess.h"
#include "app/usage.h"

namespace wqnprep {
namespace {

constexpr OptionRow kHelp = optionRow("help");
constexpr OptionRow kVersion = optionRow("version");
constexpr OptionRow kList = optionRow("list");
constexpr OptionRow kWarnUnknown = optionRow("warn-unknown");
constexpr OptionRow kStrict = optionRow("strict");

// What a command line asks for.
enum class Action {
  kRejectMistake,
  kShowHelp,
  kShowVersion,
  kListSymbols,
  kShowUsage,
  kPreprocess
};

// The one place that decides which option wins: a mistake in the options first, then --help,
// --version and --list (which takes no paths), and only then a run, which needs exactly two
// paths.
Action requestedAction(const CommandLine& line) {
  if (line.mistake) return Action::kRejectMistake;
  if (line.has(kHelp)) return Action::kShowHelp;
  if (line.has(kVersion)) return Action::kShowVersion;
  if (line.has(kList)) return line.paths.empty() ? Action::kListSymbols : Action::kShowUsage;
  return line.paths.size() == 2 ? Action::kPreprocess : Action::kShowUsage;
}

// One line on standard error. Nothing is left to tell if that fails; the exit status still does.
void printToStandardError(const std::string& line) {
  (void)std::fputs((line + '\n').c_str(), stderr);
  (void)std::fflush(stderr);
}

// What a run does with an unknown enumerator of a known type.
enum class OnUnknown { pass, warn, fail };

// Preprocesses the file at `inputPath` into `outputPath`; returns the exit status.
int preprocessFile(const std::string& inputPath, const std::string& outputPath,
                   OnUnknown onUnknown) {
  const bool strict = onUnknown == OnUnknown::fail;
  InputFile input(inputPath);
  OutputFile output(outputPath, input, strict);
  std::size_t unknown = 0;
  UnknownEnumeratorHandler report;
  if (onUnknown != OnUnknown::pass) {
    const char* severity = strict ? "error" : "warning";
    report = [&unknown, &input, severity](const UnknownEnumerator& found) {
      ++unknown;
      printToStandardError(formatUnknown(input.name(), severity, found));
    };
  }
  preprocess(input, output, report);
  if (strict && unknown > 0) {
    printToStandardError("Error: " + std::to_string(unknown) + " unknown enumerator" +
                         (unknown == 1 ? "" : "s") + " in '" + input.name() + "'; '" +
                         output.name() + "' was not written");
    return kFailure;
  }
  output.commit();
  return kSuccess;
}

}  // namespace

int runMain(int argc, char* argv[]) {
  const std::string programPath = argc > 0 && argv[0] != nullptr ? argv[0] : "wqnprep";
  try {
    const CommandLine line = parseCommandLine(kOptions, argc, argv);
    switch (requestedAction(line)) {
      case Action::kRejectMistake:
        printToStandardError(describeMistake(programPath, *line.mistake));
        return kUsageError;
      case Action::kShowHelp:
        printHelp(programPath);
        return kSuccess;
      case Action::kShowVersion:
        printVersion();
        return kSuccess;
      case Action::kListSymbols:
        printSymbolList();
        return kSuccess;
      case Action::kShowUsage:
        printUsage(programPath);
        return kUsageError;
      case Action::kPreprocess:
        return preprocessFile(line.paths[0], line.paths[1],
                              line.has(kStrict)        ? OnUnknown::fail
                              : line.has(kWarnUnknown) ? OnUnknown::warn
                                                       : OnUnknown::pass);
    }
    throw std::logic_error("unhandled command-line action");
  } catch (const std::bad_alloc&) {
    printToStandardError("Error: out of memory");
    return kFailure;
  } catch (const std::exception& error) {
    printToStandardError(std::string("Error: ") + error.what());
    return kFailure;
  }
}

}  // namespace wqnprep
