// How far apart two spellings are, for suggestions.
#pragma once

#include <cstddef>
#include <string_view>

namespace wqnprep {

// ASCII letters compared without regard to case; every other byte as it is.
bool equalIgnoringCase(std::string_view a, std::string_view b);

// The least number of single-byte insertions, deletions, substitutions and swaps of two
// neighbouring bytes that turn `a` into `b` (each swapped pair edited no further), comparing
// ASCII letters without regard to case; `limit + 1` for anything above `limit`. Costs about
// (2 * limit + 1) steps per byte of `a`, so a small limit keeps it cheap.
std::size_t damerauDistanceWithin(std::string_view a, std::string_view b, std::size_t limit);

}  // namespace wqnprep
