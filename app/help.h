// What the program prints on standard output when asked: help, version, the symbol list.
#pragma once

#include <string>

namespace wqnprep {

// The synopsis, the options and the exit statuses; `name` is programName's.
void printHelp(const std::string& name);

// The name and version, the copyright and the licence.
void printVersion();

// Every symbol, one a line: the qualified token (or the bare placeholder), a tab, the value; in
// the order the substitution applies them.
void printSymbolList();

}  // namespace wqnprep
