-- 001: roles, scopes, environments, network settings and placement rules.
--
-- Enumerated columns hold the numbers the platform stores, and scripts name them by the
-- platform's symbols: run each file through wqnprep before loading it, e.g.
--     wqnprep --strict 001_schema.sql - | psql -v ON_ERROR_STOP=1 --single-transaction -f -
-- Files 001 to 004 load into PostgreSQL and SQLite alike; 005 uses casts and is PostgreSQL only.

-- The operations a role can be granted, by their WQNOperationID numbers.
CREATE TABLE operation (
    operation_id   INTEGER PRIMARY KEY,
    code           VARCHAR(64) NOT NULL UNIQUE   -- the enumerator's name, for people
);

-- The kinds of object the database stores (WQNDBObjTypeID::objHardwareNode and so on).
CREATE TABLE object_type (
    object_type_id INTEGER PRIMARY KEY,
    code           VARCHAR(64) NOT NULL UNIQUE,
    CHECK (object_type_id BETWEEN WQNDBObjTypeID::objHardwareNode AND WQNDBObjTypeID::objManagementNode)
);

-- Where a grant applies: the global scope, or one unit of the infrastructure. The identifier is
-- kept both as text (the form the agents exchange) and as a uuid.
CREATE TABLE scope (
    scope_id       INTEGER PRIMARY KEY,
    name           VARCHAR(64) NOT NULL UNIQUE,
    object_type_id INTEGER NOT NULL REFERENCES object_type (object_type_id),
    scope_guid     CHAR(36) NOT NULL UNIQUE,
    scope_uuid     uuid NOT NULL UNIQUE
);

CREATE TABLE role_operation (
    grant_id       INTEGER PRIMARY KEY,
    role_name      VARCHAR(32) NOT NULL,
    operation_id   INTEGER NOT NULL REFERENCES operation (operation_id),
    scope_guid     CHAR(36) NOT NULL REFERENCES scope (scope_guid),
    UNIQUE (role_name, operation_id, scope_guid)
);

CREATE TABLE environment (
    env_name       VARCHAR(64) PRIMARY KEY,
    object_type_id INTEGER NOT NULL REFERENCES object_type (object_type_id),
    -- A new environment is WQNEnvStatusID::ENV_STAT_UNKNOWN until its node first reports.
    status_id      INTEGER NOT NULL DEFAULT WQNEnvStatusID::ENV_STAT_UNKNOWN
                   CHECK (status_id BETWEEN WQNEnvStatusID::ENV_STAT_UNKNOWN AND WQNEnvStatusID::ENV_STAT_NOT_LICENSED
                          AND status_id <> 2),   -- 2 is not a status
    scope_id       INTEGER NOT NULL REFERENCES scope (scope_id),
    note           VARCHAR(200)
);

CREATE TABLE network_setting (
    setting_id     INTEGER PRIMARY KEY,
    node_name      VARCHAR(64) NOT NULL,
    setting_type   INTEGER NOT NULL,     -- NetworkSettingType
    server_type    INTEGER,              -- ServerType; only for name and WINS servers
    value          VARCHAR(255) NOT NULL,
    CHECK ((setting_type IN (NetworkSettingType::nstNameServer, NetworkSettingType::nstWinsServer))
           = (server_type IS NOT NULL))
);

-- Which environments a placement rule applies to (WQNRuleID), and in which state they must be.
CREATE TABLE placement_rule (
    rule_name       VARCHAR(64) PRIMARY KEY,
    applies_to      INTEGER NOT NULL
                    CHECK (applies_to IN (WQNRuleID::applicableForAll, WQNRuleID::applicableForVEs,
                                          WQNRuleID::applicableForHNs)),
    object_type_id  INTEGER NOT NULL REFERENCES object_type (object_type_id),
    required_status INTEGER NOT NULL,
    description     VARCHAR(200) NOT NULL
);
