// Copies the input to the output with every symbol replaced.
#pragma once

#include "app/files.h"

namespace wqnprep {

// Writes one line, ended by a line feed, for every input line, flushing each line before the
// next is read. A final line without a line feed still gets one.
void preprocess(InputFile& input, OutputFile& output);

}  // namespace wqnprep
