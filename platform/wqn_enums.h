// The management platform's enumerations, as the database stores them.
//
// Each enumeration is declared from a list macro X(ENUMERATOR, VALUE) so that the symbol tables
// can walk the same list: a row's name is the stringised enumerator and its value is read back
// from the enumerator itself, so a row can never disagree with the enumeration.
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

#define WQN_DECLARE_ENUMERATOR(name, value) name = (value),

namespace WQN {

enum WQNOperationID { WQN_OPERATION_IDS(WQN_DECLARE_ENUMERATOR) };
enum NetworkSettingType { WQN_NETWORK_SETTING_TYPES(WQN_DECLARE_ENUMERATOR) };
enum ServerType { WQN_SERVER_TYPES(WQN_DECLARE_ENUMERATOR) };
enum WQNDBObjTypeID { WQN_DB_OBJ_TYPE_IDS(WQN_DECLARE_ENUMERATOR) };
enum WQNEnvStatusID { WQN_ENV_STATUS_IDS(WQN_DECLARE_ENUMERATOR) };
enum WQNRuleID { WQN_RULE_IDS(WQN_DECLARE_ENUMERATOR) };

}  // namespace WQN

#undef WQN_DECLARE_ENUMERATOR
