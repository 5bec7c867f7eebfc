#include "app/check_files.h"

#include <exception>
#include <vector>

#include "app/check_pieces.h"
#include "app/diagnostics.h"
#include "app/exit_status.h"
#include "app/files.h"
#include "app/input_paths.h"
#include "app/ordered_jobs.h"
#include "app/preprocess.h"
#include "app/standard_error.h"
#include "findings/finding_scanner.h"

namespace wqnprep {
namespace {

// Whether the file at `path` is clean; its findings and errors are on standard error. A large
// file is checked on two threads when `twoThreads`.
bool checkFile(const std::string& path, const Settings& settings, bool twoThreads) {
  InputFile input(path, settings.standardInputName);
  auto [printer, findings] = PrintedFindings(input.name(), "error", settings);
  if (twoThreads && worthCheckingInPieces(input)) {
    checkInPieces(input, printer, findings, settings);
  } else {
    findFindings(input, findings);
  }
  return printer.count() == 0;
}

}  // namespace

int checkFiles(const Settings& settings) {
  std::vector<InputPath> inputs;
  for (const std::string& path : settings.paths) {
    for (InputPath& input : inputPathsOf(path, settings.extensions))
      inputs.push_back(std::move(input));
  }
  std::vector<char> clean(inputs.size(), 0);
  // Where there are threads for two a file, each large file is checked on two.
  const bool twoThreads = twoThreadsEach(inputs.size(), settings.jobs);
  runInOrder(inputs.size(), workersFor(inputs.size(), settings.jobs),
             [&](std::size_t job, std::size_t /*worker*/) {
               const InputPath& input = inputs[job];
               try {
                 if (input.unlisted) throw unlistedFolder(input.path, input.unlisted);
                 clean[job] = checkFile(input.path, settings, twoThreads) ? 1 : 0;
               } catch (const std::exception& error) {
                 reportError(error);
               }
             });
  for (const char one : clean) {
    if (one == 0) return kFailure;
  }
  return kSuccess;
}

}  // namespace wqnprep
