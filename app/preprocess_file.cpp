#include "app/preprocess_file.h"

#include <cstddef>

#include "app/diagnostics.h"
#include "app/exit_status.h"
#include "app/files.h"
#include "app/preprocess.h"
#include "app/preprocess_pieces.h"
#include "app/standard_error.h"
#include "findings/finding_scanner.h"
#include "text/quoted_name.h"

namespace wqnprep {

int preprocessFile(const std::string& inputPath, const std::string& outputPath,
                   const Settings& settings, const std::vector<std::string>& outputFolders,
                   bool outputFoundMissing, bool twoThreads) {
  const OnFinding onFinding = settings.onFinding;
  const bool strict = onFinding == OnFinding::fail;
  InputFile input(inputPath, settings.standardInputName);
  OutputFile output(outputPath, input, outputFolders, outputFoundMissing);
  if (onFinding == OnFinding::pass) {
    if (twoThreads && worthPreprocessingInPieces(input)) {
      preprocessInPieces(input, output);
    } else {
      preprocess(input, output);
    }
    output.commit();
    return kSuccess;
  }
  auto [printer, findings] = PrintedFindings(input.name(), strict ? "error" : "warning", settings);
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

}  // namespace wqnprep
