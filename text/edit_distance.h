// How far apart two spellings are, for suggestions.
#pragma once

#include <cstddef>
#include <string_view>

namespace wqnprep {

// The least number of single-byte insertions, deletions and substitutions that turn `a` into
// `b`, comparing ASCII letters without regard to case.
std::size_t editDistanceIgnoringCase(std::string_view a, std::string_view b);

}  // namespace wqnprep
