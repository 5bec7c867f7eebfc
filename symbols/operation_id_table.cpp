#include "symbols/table_rows.h"
#include "symbols/tables.h"

namespace wqnprep {

const SymbolTable& operationIdTable() {
  static const SymbolTable table{"WQNOperationID", {WQN_OPERATION_IDS(WQNPREP_ENUMERATOR_ROW)}};
  return table;
}

}  // namespace wqnprep
