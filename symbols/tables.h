// The compiled-in symbol tables. Each accessor builds its table on first use; all of them are
// built before main runs (see registry.cpp) and never change afterwards.
#pragma once

#include <vector>

#include "symbols/symbol_table.h"

namespace wqnprep {

const SymbolTable& operationIdTable();
const SymbolTable& networkSettingTypeTable();
const SymbolTable& serverTypeTable();
const SymbolTable& dbObjTypeTable();
const SymbolTable& envStatusTable();
const SymbolTable& ruleTable();

// The six typed tables, operation identifiers first and rule applicability last.
const Registry& registry();

// Untyped symbols, matched by their bare name after all typed tables: the global scope
// placeholder.
const std::vector<SymbolEntry>& globalScopeList();

}  // namespace wqnprep
