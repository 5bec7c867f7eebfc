/* 003: what the built-in roles may do.
   Auditors read the licence and sessions everywhere (WQNOperationID::OPID_LICENSE_GENERALREAD,
   WQNOperationID::OPID_SESSIONS_GENERALREAD); operators run environments; the control centre
   logs on to agents with WQNOperationID::OPID_WQAGENT_LOGON_CC. */

INSERT INTO role_operation (grant_id, role_name, operation_id, scope_guid) VALUES
    (1, 'auditor',  WQNOperationID::OPID_LICENSE_GENERALREAD,  'WQNGlobalScopeGUID'),
    (2, 'auditor',  WQNOperationID::OPID_SESSIONS_GENERALREAD, 'WQNGlobalScopeGUID'),
    (3, 'auditor',  WQNOperationID::OPID_POLICY_READ,          'WQNGlobalScopeGUID');

INSERT INTO role_operation (grant_id, role_name, operation_id, scope_guid)
VALUES (4, 'operator', WQNOperationID::OPID_ENVIRONMENT_INTERACTION_START, 'WQNGlobalScopeGUID');
INSERT INTO role_operation (grant_id, role_name, operation_id, scope_guid)
VALUES (5, 'operator', WQNOperationID::OPID_ENVIRONMENT_INTERACTION_STOP, 'WQNGlobalScopeGUID');
INSERT INTO role_operation (grant_id, role_name, operation_id, scope_guid)
VALUES (6, 'operator', WQNOperationID::OPID_ENVIRONMENT_INTERACTION_MIGRATEP2V, '5A0F2B7E-3C41-4D8B-9E62-1F7A0C3D9B24');
INSERT INTO role_operation (grant_id, role_name, operation_id, scope_guid)
VALUES (7, 'operator', WQNOperationID::OPID_ENVIRONMENT_BACKUP_BACKUP_ENV, 'WQNGlobalScopeGUID');
INSERT INTO role_operation (grant_id, role_name, operation_id, scope_guid)
VALUES (8, 'control-centre', WQNOperationID::OPID_WQAGENT_LOGON_CC, 'WQNGlobalScopeGUID');
INSERT INTO role_operation (grant_id, role_name, operation_id, scope_guid)
VALUES (9, 'sampler', WQNOperationID::OPID_SAMPLECONFIGURAION_GENERALREAD, 'WQNGlobalScopeGUID');

-- Operators may restore what they back up: the backup grant becomes a restore grant.
UPDATE role_operation SET operation_id = WQNOperationID::OPID_ENVIRONMENT_BACKUP_RESTORE_ENV
 WHERE role_name = 'operator' AND operation_id = WQNOperationID::OPID_ENVIRONMENT_BACKUP_BACKUP_ENV;

-- The migration grant belongs to the whole installation, not to one rack.
UPDATE role_operation SET scope_guid = 'WQNGlobalScopeGUID'
 WHERE operation_id = WQNOperationID::OPID_ENVIRONMENT_INTERACTION_MIGRATEP2V;

-- Sample configurations are read through the policy grant now.
DELETE FROM role_operation WHERE operation_id = WQNOperationID::OPID_SAMPLECONFIGURAION_GENERALREAD;
