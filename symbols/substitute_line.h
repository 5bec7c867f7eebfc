// The line-by-line substitution pass. It defines what the output is: any faster way of producing
// the output must give exactly the bytes this pass gives.
#pragma once

#include <string>

#include "symbols/symbol_table.h"

namespace wqnprep {

// Applies the typed tables in registry order, each row by row replacing its whole-word qualified
// token, then the placeholders of the global scope list by their bare names. Each table sees the
// line as the earlier tables left it.
void substituteLine(std::string& line);

// The whole output for `text`: every line (bytes up to a line feed, or to the end) through
// substituteLine, each followed by a line feed.
std::string substituteText(const std::string& text);

}  // namespace wqnprep
