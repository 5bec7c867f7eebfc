-- Two built-in roles and what they may do in the global scope; the SELECT at the end shows
-- the values the database stored.

CREATE TABLE role_operation (
    role_id      INTEGER NOT NULL,
    operation_id INTEGER NOT NULL,
    scope_guid   CHAR(36) NOT NULL
);

INSERT INTO role_operation VALUES (1, WQNOperationID::OPID_LICENSE_GENERALREAD, 'WQNGlobalScopeGUID');
INSERT INTO role_operation VALUES (2, WQNOperationID::OPID_WQAGENT_LOGON_CC, 'WQNGlobalScopeGUID');

SELECT role_id, scope_guid, operation_id FROM role_operation ORDER BY role_id;
