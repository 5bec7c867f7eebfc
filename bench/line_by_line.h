// The output made the slow, obvious way: one line at a time through substituteLine, holding the
// whole line and writing it before reading the next. The reference the benchmark compares with.
#pragma once

#include "app/byte_stream.h"

namespace wqnprep {

void preprocessLineByLine(ByteSource& input, ByteSink& output);

}  // namespace wqnprep
