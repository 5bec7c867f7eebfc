#include "app/driver.h"

#include <cstdio>
#include <exception>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/command_line.h"
#include "app/diagnostics.h"
#include "app/files.h"
#include "app/help.h"
#include "app/options.h"
#include "app/preprocess.h"
#include "app/usage.h"
#include "findings/finding_scanner.h"
#include "text/quoted_name.h"

namespace wqnprep {
namespace {

constexpr OptionRow kHelp = optionRow("help");
constexpr OptionRow kVersion = optionRow("version");
constexpr OptionRow kList = optionRow("list");
constexpr OptionRow kWarnUnknown = optionRow("warn-unknown");
constexpr OptionRow kStrict = optionRow("strict");
constexpr OptionRow kIgnore = optionRow("ignore");

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

// Leaves out of `kinds` every kind named by --ignore; false, after saying which name is no
// kind, when one is not.
bool ignoreKinds(const std::string& programPath, const std::vector<std::string>& names,
                 FindingKinds& kinds) {
  for (const std::string& name : names) {
    const std::optional<FindingKind> kind = findingKindNamed(name);
    if (!kind) {
      std::string known;
      for (std::size_t k = 0; k < kFindingKindCount; ++k) {
        known += (k == 0 ? "" : ", ") + std::string(findingKindName(static_cast<FindingKind>(k)));
      }
      std::string message = programName(programPath);
      message.append(": --ignore=").append(name).append(": no such kind; the kinds are ");
      printToStandardError(message.append(known));
      return false;
    }
    kinds[static_cast<std::size_t>(*kind)] = false;
  }
  return true;
}

// What a run does with its findings.
enum class OnFinding { pass, warn, fail };

// Preprocesses the file at `inputPath` into `outputPath`; returns the exit status. Under
// OnFinding::fail the output is held back in a spool file and written only once the whole input
// has been read and found clean, so a failed run sends nothing at all to the output.
int preprocessFile(const std::string& inputPath, const std::string& outputPath, OnFinding onFinding,
                   const FindingKinds& kinds) {
  const bool strict = onFinding == OnFinding::fail;
  InputFile input(inputPath);
  OutputFile output(outputPath, input);
  if (onFinding == OnFinding::pass) {
    preprocess(input, output);
    output.commit();
    return kSuccess;
  }
  FindingPrinter printer(input.name(), strict ? "error" : "warning");
  FindingScanner findings([&printer](const Finding& finding) { printer.print(finding); }, kinds);
  if (!strict) {
    preprocess(input, output, &findings);
    output.commit();
    return kSuccess;
  }
  SpoolFile spool;
  preprocess(input, spool, &findings);
  printer.flush();  // every finding before the summary
  const std::size_t found = printer.count();
  if (found > 0) {
    printToStandardError("Error: " + std::to_string(found) + " finding" + (found == 1 ? "" : "s") +
                         " in " + quotedName(input.name()) + "; " + quotedName(output.name()) +
                         " was not written");
    return kFailure;
  }
  output.copyFrom(spool.rewound());
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
      case Action::kPreprocess: {
        FindingKinds kinds = kAllFindingKinds;
        if (!ignoreKinds(programPath, line.values(kIgnore), kinds)) return kUsageError;
        return preprocessFile(line.paths[0], line.paths[1],
                              line.has(kStrict)        ? OnFinding::fail
                              : line.has(kWarnUnknown) ? OnFinding::warn
                                                       : OnFinding::pass,
                              kinds);
      }
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
