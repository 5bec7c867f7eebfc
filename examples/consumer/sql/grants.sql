-- Operations the operator role may run everywhere.
INSERT INTO role_operation VALUES (2, WQNOperationID::OPID_LICENSE_GENERALREAD, 'WQNGlobalScopeGUID');
INSERT INTO role_operation VALUES (2, WQNOperationID::OPID_VERTUAL_SERVER_REQUEST_GET, 'WQNGlobalScopeGUID');
