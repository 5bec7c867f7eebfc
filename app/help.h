// What the program prints on standard output when asked: help, version, the symbol list.
#pragma once

#include <string>

namespace wqnprep {

// The usage line, the options and the exit statuses.
void printHelp(const std::string& programPath);

// "wqnprep VERSION".
void printVersion();

// Every symbol, one a line: the qualified token (or the bare placeholder), a tab, the value; in
// the order the substitution applies them.
void printSymbolList();

}  // namespace wqnprep
