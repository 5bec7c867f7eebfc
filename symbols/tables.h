// The compiled-in symbol tables. They are built on first use, which comes before main runs
// (see registry.cpp), and never change afterwards.
#pragma once

#include <vector>

#include "symbols/symbol_table.h"

namespace wqnprep {

// One typed table per platform enumeration (WQN_ENUMERATIONS), in the order of that list:
// operation identifiers first and rule applicability last.
const Registry& registry();

// Placeholders, matched by their bare name after all typed tables: the global scope
// placeholder.
const std::vector<SymbolEntry>& globalScopeList();

}  // namespace wqnprep
