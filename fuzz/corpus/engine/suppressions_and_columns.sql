-- wqnprep-ignore-next-line: unknown-type, glued
WQNRuleId::applicableForAll WQNRuleID::zzz	'é日' WQNOperationID.OPID_LICENSE_GENERALREAD /* wqnprep-ignore */
WQNOperationId:OPID_LICENSE_GENERALREAD WQN_GLOBAL_SCOPE_GUID WQNOperationID ::OPID_DIRECTORY_GENERALREAD
