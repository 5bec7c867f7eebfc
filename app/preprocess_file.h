// One input preprocessed into one output: the two-path form, and each file of --output-dir.
#pragma once

#include <string>

#include "findings/finding.h"

namespace wqnprep {

// What a run does with its findings.
enum class OnFinding { pass, warn, fail };

// Preprocesses the file at `inputPath` into `outputPath`; returns the exit status. Under
// OnFinding::fail the output is held back in a spool file and written only once the whole input
// has been read and found clean, so a failed run sends nothing at all to the output.
int preprocessFile(const std::string& inputPath, const std::string& outputPath, OnFinding onFinding,
                   const FindingKinds& kinds);

}  // namespace wqnprep
