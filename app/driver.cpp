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

// Preprocesses one file; returns the exit status.
int preprocessFile(const CommandLine& line) {
  InputFile input(line.paths[0]);
  OutputFile output(line.paths[1], input, line.strict);
  std::size_t unknown = 0;
  UnknownEnumeratorHandler report;
  if (line.strict || line.warnUnknown) {
    const char* severity = line.strict ? "error" : "warning";
    report = [&unknown, &input, severity](const UnknownEnumerator& found) {
      ++unknown;
      printToStandardError(formatUnknown(input.name(), severity, found));
    };
  }
  preprocess(input, output, report);
  if (line.strict && unknown > 0) {
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
    return preprocessFile(line);
  } catch (const std::bad_alloc&) {
    printToStandardError("Error: out of memory");
    return kFailure;
  } catch (const std::exception& error) {
    printToStandardError(std::string("Error: ") + error.what());
    return kFailure;
  }
}

}  // namespace wqnprep
