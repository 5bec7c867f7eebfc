// The text primitive every substitution is defined by.
#pragma once

#include <string>

namespace wqnprep {

// Replaces, left to right, every occurrence of `token` in `line` that stands as a whole word
// (no word character directly before or after it) by `value`. Matching is exact and
// case-sensitive. An inserted value is never searched again, and a rejected occurrence does not
// hide a later one. An empty token leaves the line unchanged.
void replaceWholeWord(std::string& line, const std::string& token, const std::string& value);

}  // namespace wqnprep
