-- 004: the first environments, their network settings and the placement rules.

INSERT INTO environment (env_name, object_type_id, status_id, scope_id, note) VALUES
    ('hn-01',  WQNDBObjTypeID::objHardwareNode,      WQNEnvStatusID::ENV_STAT_RUNNING, 2, 'registered as WQNDBObjTypeID::objHardwareNode'),
    ('web-01', WQNDBObjTypeID::objKalindroContainer, WQNEnvStatusID::ENV_STAT_MOUNTED, 2, 'was WQNEnvStatusID::ENV_STAT_MOUNTED at import'),
    ('db-01',  WQNDBObjTypeID::objVMWareContainer,   WQNEnvStatusID::ENV_STAT_SUSPENDED, 2, NULL),
    ('mn-01',  WQNDBObjTypeID::objManagementNode,    WQNEnvStatusID::ENV_STAT_NOT_LICENSED, 1, 'it''s the management node');
-- No status given: the column's default applies.
INSERT INTO environment (env_name, object_type_id, scope_id, note)
VALUES ('ct-new', WQNDBObjTypeID::objBrevantoContainer, 2, 'status:WQNEnvStatusID::ENV_STAT_UNKNOWN;');

-- Suspended environments on a node that was repaired are down until they are started again.
UPDATE environment SET status_id = WQNEnvStatusID::ENV_STAT_DOWN,
                       note = 'WQNEnvStatusID::ENV_STAT_SUSPENDED->WQNEnvStatusID::ENV_STAT_DOWN'
 WHERE status_id = WQNEnvStatusID::ENV_STAT_SUSPENDED;
UPDATE environment SET status_id = WQNEnvStatusID::ENV_STAT_REPAIRING
 WHERE env_name = 'hn-01' AND object_type_id = WQNDBObjTypeID::objHardwareNode;

INSERT INTO network_setting (setting_id, node_name, setting_type, server_type, value) VALUES
    (1, 'hn-01', NetworkSettingType::nstNameServer,     ServerType::stDns,  '192.0.2.53'),
    (2, 'hn-01', NetworkSettingType::nstWinsServer,     ServerType::stWins, '192.0.2.54'),
    (3, 'hn-01', NetworkSettingType::nstSearchDomain,   NULL,               'lab.example.org'),
    (4, 'hn-01', NetworkSettingType::nstHardWareNodeID, NULL,               'E1B7C0A2-6D3F-4F18-8A95-2C4B7D9E0F13');

INSERT INTO placement_rule (rule_name, applies_to, object_type_id, required_status, description) VALUES
    ('everything-licensed', WQNRuleID::applicableForAll, WQNDBObjTypeID::objPolicy,       WQNEnvStatusID::ENV_STAT_RUNNING,
     'Applies to WQNRuleID::applicableForAll objects'),
    ('containers-up',       WQNRuleID::applicableForVEs, WQNDBObjTypeID::objIPPool,       WQNEnvStatusID::ENV_STAT_MOUNTED,
     'containers (WQNRuleID::applicableForVEs) need an address from the pool'),
    ('nodes-present',       WQNRuleID::applicableForHNs, WQNDBObjTypeID::objHardwareNode, WQNEnvStatusID::ENV_STAT_UNEXIST,
     'nodes: never WQNEnvStatusID::ENV_STAT_UNEXIST');

-- Containers must be running, not merely mounted.
UPDATE placement_rule SET required_status = WQNEnvStatusID::ENV_STAT_RUNNING
 WHERE applies_to = WQNRuleID::applicableForVEs AND required_status <> WQNEnvStatusID::ENV_STAT_RUNNING;
-- Rules for everything are kept per organizational unit from now on.
UPDATE placement_rule SET object_type_id = WQNDBObjTypeID::objOrganizationalUnit
 WHERE applies_to = WQNRuleID::applicableForAll;
