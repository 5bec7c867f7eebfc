#include "app/check_files.h"

#include <exception>

#include "app/diagnostics.h"
#include "app/exit_status.h"
#include "app/files.h"
#include "app/input_paths.h"
#include "app/preprocess.h"
#include "app/standard_error.h"
#include "findings/finding_scanner.h"

namespace wqnprep {
namespace {

// Whether the file at `path` is clean; its findings and errors are on standard error.
bool checkFile(const std::string& path, const Settings& settings) {
  InputFile input(path, settings.standardInputName);
  auto [printer, findings] = PrintedFindings(input.name(), "error", settings);
  findFindings(input, findings);
  return printer.count() == 0;
}

}  // namespace

int checkFiles(const Settings& settings) {
  bool clean = true;
  for (const std::string& path : settings.paths) {
    for (const InputPath& input : inputPathsOf(path, settings.extensions)) {
      try {
        if (input.unlisted) throw unlistedFolder(input.path, input.unlisted);
        clean = checkFile(input.path, settings) && clean;
      } catch (const std::exception& error) {
        reportError(error);
        clean = false;
      }
    }
  }
  return clean ? kSuccess : kFailure;
}

}  // namespace wqnprep
