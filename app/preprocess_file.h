// One input preprocessed into one output: the two-path form, and each file of --output-dir.
#pragma once

#include <string>
#include <vector>

#include "app/settings.h"

namespace wqnprep {

// Preprocesses the file at `inputPath` into `outputPath`; returns the exit status. Under
// OnFinding::fail the output is held back in a spool file and written only once the whole input
// has been read and found clean, so a finding or an error while reading sends nothing at all to
// the output. `outputFolders` are the folders the output is in that writing it may create, and
// `outputFoundMissing` says the caller has just found no output there (OutputFile). With
// `twoThreads`, a large file is preprocessed on two.
int preprocessFile(const std::string& inputPath, const std::string& outputPath,
                   const Settings& settings, const std::vector<std::string>& outputFolders = {},
                   bool outputFoundMissing = false, bool twoThreads = false);

}  // namespace wqnprep
