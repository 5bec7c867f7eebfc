#include "symbols/table_rows.h"
#include "symbols/tables.h"

namespace wqnprep {

const SymbolTable& networkSettingTypeTable() {
  static const SymbolTable table{"NetworkSettingType",
                                 {WQN_NETWORK_SETTING_TYPES(WQNPREP_ENUMERATOR_ROW)}};
  return table;
}

const SymbolTable& serverTypeTable() {
  static const SymbolTable table{"ServerType", {WQN_SERVER_TYPES(WQNPREP_ENUMERATOR_ROW)}};
  return table;
}

const SymbolTable& dbObjTypeTable() {
  static const SymbolTable table{"WQNDBObjTypeID", {WQN_DB_OBJ_TYPE_IDS(WQNPREP_ENUMERATOR_ROW)}};
  return table;
}

const SymbolTable& envStatusTable() {
  static const SymbolTable table{"WQNEnvStatusID", {WQN_ENV_STATUS_IDS(WQNPREP_ENUMERATOR_ROW)}};
  return table;
}

const SymbolTable& ruleTable() {
  static const SymbolTable table{"WQNRuleID", {WQN_RULE_IDS(WQNPREP_ENUMERATOR_ROW)}};
  return table;
}

}  // namespace wqnprep
