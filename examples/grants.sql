-- Default permissions of the built-in roles.
-- Run through wqnprep before loading: it turns platform symbols into stored values.

CREATE TABLE IF NOT EXISTS role_operation (
    role_id      INTEGER NOT NULL,
    operation_id INTEGER NOT NULL,
    scope_guid   CHAR(36) NOT NULL
);

INSERT INTO role_operation VALUES (1, WQNOperationID::OPID_LICENSE_GENERALREAD, 'WQNGlobalScopeGUID');
INSERT INTO role_operation VALUES (1, WQNOperationID::OPID_ENVIRONMENT_INTERACTION_MIGRATEP2V, 'WQNGlobalScopeGUID');
INSERT INTO role_operation VALUES (2, WQNOperationID::OPID_WQAGENT_LOGON_CC, 'WQNGlobalScopeGUID');

INSERT INTO t VALUES (WQNOperationID::OPID_LICENSE_GENERALEXECUTE, WQNDBObjTypeID::objIPPool, WQNEnvStatusID::ENV_STAT_RUNNING);

UPDATE environment SET status = WQNEnvStatusID::ENV_STAT_DOWN
 WHERE status = WQNEnvStatusID::ENV_STAT_UNKNOWN AND kind = WQNDBObjTypeID::objHardwareNode;

INSERT INTO dns_setting (kind, server) VALUES (NetworkSettingType::nstNameServer, ServerType::stDns);
INSERT INTO rule (applies_to) VALUES (WQNRuleID::applicableForVEs);

-- Not symbols, so left as they are: a bare enumerator, a misspelling, a longer word.
SELECT 'OPID_LICENSE_GENERALREAD', 'WQNOperationID::OPID_VIRTUAL_SERVER_REQUEST_GET', 'WQNGlobalScopeGUIDs'; -- wqnprep-ignore: unknown-enumerator, unknown-placeholder
