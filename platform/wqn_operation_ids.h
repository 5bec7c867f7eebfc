// The platform's operation identifiers, as X(ENUMERATOR, VALUE).
//
// The list is in table order, which is not value order: OPID_WQAGENT_LOGON_CC is 2000008, and
// the statistics row (135) comes before the brokers row (134). The odd spellings (VERTUAL,
// CONFIGURAION) are the platform's own and are what scripts must write.
#pragma once

#define WQN_OPERATION_IDS(X)
