#include "app/driver.h"

#include <cstdio>
#include <exception>
#include <new>
#include <optional>
#include <string>

#include "app/command_line.h"
#include "app/diagnostics.h"
#include "app/files.h"
#include "app/help.h"
#include "app/preprocess.h"
#include "app/usage.h"
#include "findings/finding_scanner.h"

namespace wqnprep {
namespace {

// One line on standard error. Nothing is left to tell if that fails; the exit status still does.
void printToStandardError(const std::string& line) {
  (void)std::fputs((line + '\n').c_str(), stderr);
  (void)std::fflush(stderr);
}

// Leaves out of `kinds` every kind named by --ignore; false, after saying which name is no
// kind, when one is not.
bool ignoreKinds(const CommandLine& line, FindingKinds& kinds) {
  for (const std::string& name : line.ignored) {
    const std::optional<FindingKind> kind = findingKindNamed(name);
    if (!kind) {
      std::string known;
      for (std::size_t k = 0; k < kFindingKindCount; ++k) {
        known += (k == 0 ? "" : ", ") + std::string(findingKindName(static_cast<FindingKind>(k)));
      }
      printToStandardError("wqnprep: --ignore=" + name + ": no such kind; the kinds are " + known);
      return false;
    }
    kinds[static_cast<std::size_t>(*kind)] = false;
  }
  return true;
}

// Preprocesses one file; returns the exit status.
int preprocessFile(const CommandLine& line, const FindingKinds& kinds) {
  InputFile input(line.paths[0]);
  OutputFile output(line.paths[1], input, line.strict);
  std::size_t found = 0;
  if (line.strict || line.warnUnknown) {
    FindingPrinter printer(input.name(), line.strict ? "error" : "warning");
    FindingScanner findings([&printer](const Finding& finding) { printer.print(finding); }, kinds);
    preprocess(input, output, &findings);
    found = printer.count();
  } else {
    preprocess(input, output);
  }
  if (line.strict && found > 0) {
    printToStandardError("Error: " + std::to_string(found) + " finding" + (found == 1 ? "" : "s") +
                         " in '" + input.name() + "'; '" + output.name() + "' was not written");
    return kFailure;
  }
  output.commit();
  return kSuccess;
}

}  // namespace

int runMain(int argc, char* argv[]) {
  const std::string programPath = argc > 0 && argv[0] != nullptr ? argv[0] : "wqnprep";
  try {
    const CommandLine line = parseCommandLine(argc, argv);
    if (line.valid && line.help) {
      printHelp(programPath);
      return kSuccess;
    }
    if (line.valid && line.version) {
      printVersion();
      return kSuccess;
    }
    if (line.valid && line.list && line.paths.empty()) {
      printSymbolList();
      return kSuccess;
    }
    if (!line.valid || line.list || line.paths.size() != 2) {
      printUsage(programPath);
      return kUsage;
    }
    FindingKinds kinds = kAllFindingKinds;
    if (!ignoreKinds(line, kinds)) return kUsage;
    return preprocessFile(line, kinds);
  } catch (const std::bad_alloc&) {
    printToStandardError("Error: out of memory");
    return kFailure;
  } catch (const std::exception& error) {
    printToStandardError(std::string("Error: ") + error.what());
    return kFailure;
  }
}

}  // namespace wqnprep
