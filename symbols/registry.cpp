#include "symbols/build_before_main.h"
#include "symbols/tables.h"

namespace wqnprep {

std::string qualifiedToken(const SymbolTable& table, const SymbolEntry& row) {
  return table.typeName + "::" + row.name;
}

const Registry& registry() {
  static const Registry tables{&operationIdTable(), &networkSettingTypeTable(), &serverTypeTable(),
                               &dbObjTypeTable(),   &envStatusTable(),          &ruleTable()};
  return tables;
}

namespace {

// Every table is built before main rather than on the first line, and through the accessors'
// function-local statics, so that nothing depends on the order in which files are initialised.
[[maybe_unused]] const bool tablesBuilt = buildBeforeMain("symbol tables", [] {
  registry();
  globalScopeList();
});

}  // namespace
}  // namespace wqnprep
