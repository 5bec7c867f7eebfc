// The pair scan thirty-two bytes at a time with AVX2, for x86-64 processors that have it; chosen
// at run time. Declarations only: the code is compiled for AVX2 in its own source file, so no
// other code can end up needing AVX2.
#pragma once

#include "text/pair_scanner.h"

namespace wqnprep::scan_avx2 {

// Whether this processor (and its operating system) can run AVX2 code.
bool runsHere();

// As scan_native::findPair; only when runsHere(). Names are short, so nameRunEnd stays SSE2.
const char* findPair(const PairPatterns& patterns, const char* p, const char* last);

}  // namespace wqnprep::scan_avx2
