#include "app/driver.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "app/command_line.h"
#include "app/diagnostics.h"
#include "app/files.h"
#include "app/help.h"
#include "app/preprocess.h"
#include "app/usage.h"

namespace wqnprep {
namespace {

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
    return preprocessFile(line.paths[0], line.paths[1],
                          line.strict        ? OnUnknown::fail
                          : line.warnUnknown ? OnUnknown::warn
                                             : OnUnknown::pass);
  } catch (const std::bad_alloc&) {
    printToStandardError("Error: out of memory");
    return kFailure;
  } catch (const std::exception& error) {
    printToStandardError(std::string("Error: ") + error.what());
    return kFailure;
  }
}

}  // namespace wqnprep
