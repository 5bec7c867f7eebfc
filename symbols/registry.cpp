#include <array>
#include <cstddef>

#include "symbols/build_before_main.h"
#include "symbols/table_rows.h"
#include "symbols/tables.h"

namespace wqnprep {

std::string qualifiedToken(const SymbolTable& table, const SymbolEntry& row) {
  return table.typeName + "::" + row.name;
}

// A table for one line of WQN_ENUMERATIONS: the type's name and a row for each enumerator.
#define WQNPREP_TYPED_TABLE(type, enumerators) \
  SymbolTable{#type, {enumerators(WQNPREP_ENUMERATOR_ROW)}},

const Registry& registry() {
  static const std::array tables{WQN_ENUMERATIONS(WQNPREP_TYPED_TABLE)};
  static_assert(tables.size() == kTypedTableCount);
  static const Registry inOrder = [] {
    Registry pointers{};
    for (std::size_t i = 0; i < tables.size(); ++i) pointers[i] = &tables[i];
    return pointers;
  }();
  return inOrder;
}

#undef WQNPREP_TYPED_TABLE

namespace {

// Every table is built before main rather than on the first line, and through function-local
// statics, so that nothing depends on the order in which files are initialised.
[[maybe_unused]] const bool tablesBuilt = buildBeforeMain("symbol tables", [] {
  registry();
  globalScopeList();
});

}  // namespace
}  // namespace wqnprep
