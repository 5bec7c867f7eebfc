#include "app/driver.h"

#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/check_files.h"
#include "app/command_line.h"
#include "app/help.h"
#include "app/options.h"
#include "app/output_folder.h"
#include "app/preprocess_file.h"
#include "app/standard_error.h"
#include "app/usage.h"
#include "findings/finding.h"
#include "os/file.h"
#include "text/quoted_name.h"

namespace wqnprep {
namespace {

constexpr OptionRow kHelp = optionRow("help");
constexpr OptionRow kVersion = optionRow("version");
constexpr OptionRow kList = optionRow("list");
constexpr OptionRow kWarnUnknown = optionRow("warn-unknown");
constexpr OptionRow kStrict = optionRow("strict");
constexpr OptionRow kIgnore = optionRow("ignore");
constexpr OptionRow kCheck = optionRow("check");
constexpr OptionRow kOutputDir = optionRow("output-dir");

// What a command line asks for.
enum class Action {
  kRejectMistake,
  kShowHelp,
  kShowVersion,
  kListSymbols,
  kShowUsage,
  kCheck,
  kPreprocessIntoFolder,
  kPreprocess
};

// The one place that decides which option wins: a mistake in the options first (runMain checks
// the values of --ignore right after it), then --help, --version and --list, which act alone
// whatever else is given, then --check (any number of files, nothing written), then
// --output-dir (any number of inputs), and only then the run of the two-path form, which needs
// exactly two paths. What --check and --output-dir go with is up to wrongCombination.
Action requestedAction(const CommandLine& line) {
  if (line.mistake) return Action::kRejectMistake;
  if (line.has(kHelp)) return Action::kShowHelp;
  if (line.has(kVersion)) return Action::kShowVersion;
  if (line.has(kList)) return Action::kListSymbols;
  if (line.has(kCheck)) return Action::kCheck;
  if (line.has(kOutputDir)) return Action::kPreprocessIntoFolder;
  return line.paths.size() == 2 ? Action::kPreprocess : Action::kShowUsage;
}

// One folder however it is spelt ("out", "out/", "./out", a link to it).
bool sameFolder(const std::string& a, const std::string& b) {
  if (a == b) return true;
  os::FileInfo first;
  os::FileInfo second;
  return !os::inspectPath(a, first) && !os::inspectPath(b, second) && first.directory &&
         os::sameFile(first, second);
}

// Why the options of a --check or --output-dir run do not go together, or nothing.
//   --check writes nothing, so an output folder makes no sense with it; it fails on every
//   finding already, and --strict (hold the output back) and --warn-unknown (findings as
//   warnings) would each say something else about the same findings.
//   --output-dir names each output after its input's file name, which "-" does not have; a
//   second, different folder would leave it open where the outputs go.
// Both need at least one file, as they have no usage line to fall back on.
std::optional<std::string> wrongCombination(const CommandLine& line, Action action) {
  if (action == Action::kCheck) {
    if (line.has(kOutputDir)) return "--check writes nothing; it does not go with --output-dir";
    if (line.has(kStrict))
      return "--check fails on every finding already; it does not go with --strict";
    if (line.has(kWarnUnknown)) {
      return "--check reports findings as errors; it does not go with --warn-unknown";
    }
    if (line.paths.empty()) return "--check needs at least one FILE";
  }
  if (action == Action::kPreprocessIntoFolder) {
    const std::vector<std::string>& folders = line.values(kOutputDir);
    for (const std::string& folder : folders) {
      if (!sameFolder(folder, folders.front())) {
        return "two output folders given, " + quotedName(folders.front()) + " and " +
               quotedName(folder);
      }
    }
    if (line.paths.empty()) return "--output-dir needs at least one INPUT";
    for (const std::string& path : line.paths) {
      if (path == "-") {
        return "--output-dir names each output after its input; '-' (standard input) has no "
               "name";
      }
    }
  }
  return std::nullopt;
}

// The two lines for standard error, as describeMistake words those of a wrong option.
std::string describeWrongCombination(const std::string& programPath, const std::string& reason) {
  const std::string name = programName(programPath);
  return name + ": " + reason + "\nTry '" + name + " --help' for more information.";
}

OnFinding onFindingOf(const CommandLine& line) {
  return line.has(kStrict)        ? OnFinding::fail
         : line.has(kWarnUnknown) ? OnFinding::warn
                                  : OnFinding::pass;
}

// Leaves out of `kinds` every kind named by --ignore; when a name is no kind, why the command
// line is wrong.
std::optional<std::string> ignoreKinds(const std::vector<std::string>& names, FindingKinds& kinds) {
  for (const std::string& name : names) {
    const std::optional<FindingKind> kind = findingKindNamed(name);
    if (!kind) {
      return "--ignore=" + name + ": no such kind; the kinds are " + std::string(kFindingKindNames);
    }
    kinds[static_cast<std::size_t>(*kind)] = false;
  }
  return std::nullopt;
}

}  // namespace

int runMain(int argc, char* argv[]) {
  const std::string programPath = argc > 0 && argv[0] != nullptr ? argv[0] : "wqnprep";
  try {
    const CommandLine line = parseCommandLine(kOptions, argc, argv);
    const Action action = requestedAction(line);
    // A wrong value of --ignore is a wrong command line too, and so comes before whatever the
    // other options ask for (parsing stopped at a wrong option, so it has no values to check).
    FindingKinds kinds = kAllFindingKinds;
    std::optional<std::string> reason;
    if (action != Action::kRejectMistake) reason = ignoreKinds(line.values(kIgnore), kinds);
    if (!reason) reason = wrongCombination(line, action);
    if (reason) {
      printToStandardError(describeWrongCombination(programPath, *reason));
      return kUsageError;
    }
    switch (action) {
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
      case Action::kCheck:
        return checkFiles(line.paths, kinds);
      case Action::kPreprocessIntoFolder:
        return preprocessIntoFolder(line.values(kOutputDir).front(), line.paths, onFindingOf(line),
                                    kinds);
      case Action::kPreprocess:
        return preprocessFile(line.paths[0], line.paths[1], onFindingOf(line), kinds);
    }
    throw std::logic_error("unhandled command-line action");
  } catch (const std::exception& error) {
    reportError(error);
    return kFailure;
  }
}

}  // namespace wqnprep
