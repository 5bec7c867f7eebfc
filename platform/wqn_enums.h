// The management platform's enumerations, as the database stores them.
//
// WQN_ENUMERATIONS at the end is the one list of them: each line names an enumeration and the
// list macro X(ENUMERATOR, VALUE) of its enumerators. The enums below and the symbol tables are
// both expanded from it, so a row's name is the stringised enumerator and its value is read back
// from the enumerator itself: a row can never disagree with the enumeration.
#pragma once

#include "platform/wqn_operation_ids.h"

#define WQN_NETWORK_SETTING_TYPES(X) \
  X(nstNameServer, 0)                \
  X(nstSearchDomain, 1)              \
  X(nstHardWareNodeID, 2)            \
  X(nstWinsServer, 3)

#define WQN_SERVER_TYPES(X) \
  X(stDns, 0)               \
  X(stWins, 1)

#define WQN_DB_OBJ_TYPE_IDS(X) \
  X(objHardwareNode, 1)        \
  X(objKalindroContainer, 2)   \
  X(objBrevantoContainer, 3)   \
  X(objVMWareContainer, 4)     \
  X(objInfrastructureUnit, 5)  \
  X(objOrganizationalUnit, 6)  \
  X(objIPPool, 7)              \
  X(objGlobalScope, 8)         \
  X(objPolicy, 9)              \
  X(objSample, 10)             \
  X(objManagementNode, 11)

// No status has the value 2.
#define WQN_ENV_STATUS_IDS(X) \
  X(ENV_STAT_UNKNOWN, 0)      \
  X(ENV_STAT_UNEXIST, 1)      \
  X(ENV_STAT_DOWN, 3)         \
  X(ENV_STAT_MOUNTED, 4)      \
  X(ENV_STAT_SUSPENDED, 5)    \
  X(ENV_STAT_RUNNING, 6)      \
  X(ENV_STAT_REPAIRING, 7)    \
  X(ENV_STAT_NOT_LICENSED, 8)

#define WQN_RULE_IDS(X)  \
  X(applicableForAll, 0) \
  X(applicableForVEs, 1) \
  X(applicableForHNs, 2)

// X(TYPE, ENUMERATORS) for every enumeration, in the order the symbol tables are applied:
// operation identifiers first, rule applicability last. TYPE is also the name scripts qualify
// the enumerators with.
#define WQN_ENUMERATIONS(X)                        \
  X(WQNOperationID, WQN_OPERATION_IDS)             \
  X(NetworkSettingType, WQN_NETWORK_SETTING_TYPES) \
  X(ServerType, WQN_SERVER_TYPES)                  \
  X(WQNDBObjTypeID, WQN_DB_OBJ_TYPE_IDS)           \
  X(WQNEnvStatusID, WQN_ENV_STATUS_IDS)            \
  X(WQNRuleID, WQN_RULE_IDS)

#define WQN_DECLARE_ENUMERATOR(name, value) name = (value),
#define WQN_DECLARE_ENUMERATION(type, enumerators) \
  enum type { enumerators(WQN_DECLARE_ENUMERATOR) };

namespace WQN {

WQN_ENUMERATIONS(WQN_DECLARE_ENUMERATION)

}  // namespace WQN

#undef WQN_DECLARE_ENUMERATION
#undef WQN_DECLARE_ENUMERATOR
