-- 005 (PostgreSQL only): typed checks and a view, written with PostgreSQL's :: casts.
-- The other files load into SQLite as well; this one is not for SQLite, which has no :: casts.

-- The text and the uuid form of a scope's identifier must name the same scope.
ALTER TABLE scope ADD CONSTRAINT scope_guid_is_scope_uuid CHECK (scope_guid::uuid = scope_uuid);

COMMENT ON COLUMN environment.status_id IS
    'WQNEnvStatusID; WQNEnvStatusID::ENV_STAT_UNKNOWN until the node reports';

-- Grants that hold everywhere.
CREATE VIEW global_grant AS
SELECT g.role_name, g.operation_id::int AS operation_id, s.scope_uuid
  FROM role_operation g
  JOIN scope s ON s.scope_uuid = g.scope_guid::uuid
 WHERE s.scope_uuid = 'WQNGlobalScopeGUID'::uuid;

-- Written with quotes so that editors see SQL; wqnprep replaces inside strings as well.
INSERT INTO role_operation (grant_id, role_name, operation_id, scope_guid)
VALUES (10, 'policy-admin', 'WQNOperationID::OPID_POLICY_WRITE'::int, 'WQNGlobalScopeGUID');

UPDATE environment SET status_id = WQNEnvStatusID::ENV_STAT_RUNNING::smallint
 WHERE scope_id = (SELECT scope_id FROM scope WHERE scope_uuid = 'WQNGlobalScopeGUID'::uuid)
   AND status_id = 'WQNEnvStatusID::ENV_STAT_NOT_LICENSED'::int;
