#include <cstdio>
#include <cstdlib>
#include <exception>

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

// Every table is built here, before main, rather than on the first line: a run never pays for
// it mid-stream, and the accessors' function-local statics keep the build independent of the
// order in which translation units are initialised. Nothing can catch an exception thrown
// before main, so a failure (memory exhausted) is reported and ends the process here.
const bool tablesBuilt = [] {
  try {
    registry();
    globalScopeList();
    return true;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "Error: cannot build the symbol tables: %s\n", error.what());
    std::_Exit(1);
  }
}();

}  // namespace
}  // namespace wqnprep
