#include "symbols/tables.h"

namespace wqnprep {

const std::vector<SymbolEntry>& globalScopeList() {
  static const std::vector<SymbolEntry> list;
  return list;
}

}  // namespace wqnprep
