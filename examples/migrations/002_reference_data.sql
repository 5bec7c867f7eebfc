-- 002: the operations and object kinds this installation uses, and its scopes.
-- The code column keeps the bare enumerator name: a bare name is not a symbol and stays as written.

INSERT INTO object_type (object_type_id, code) VALUES
    (WQNDBObjTypeID::objHardwareNode,        'objHardwareNode'),
    (WQNDBObjTypeID::objKalindroContainer,   'objKalindroContainer'),
    (WQNDBObjTypeID::objBrevantoContainer,   'objBrevantoContainer'),
    (WQNDBObjTypeID::objVMWareContainer,     'objVMWareContainer'),
    (WQNDBObjTypeID::objInfrastructureUnit,  'objInfrastructureUnit'),
    (WQNDBObjTypeID::objOrganizationalUnit,  'objOrganizationalUnit'),
    (WQNDBObjTypeID::objIPPool,              'objIPPool'),
    (WQNDBObjTypeID::objGlobalScope,         'objGlobalScope'),
    (WQNDBObjTypeID::objPolicy,              'objPolicy'),
    (WQNDBObjTypeID::objSample,              'objSample'),
    (WQNDBObjTypeID::objManagementNode,      'objManagementNode');

INSERT INTO operation (operation_id, code) VALUES
    (WQNOperationID::OPID_LICENSE_GENERALREAD,                 'OPID_LICENSE_GENERALREAD'),
    (WQNOperationID::OPID_LICENSE_GENERALEXECUTE,              'OPID_LICENSE_GENERALEXECUTE'),
    (WQNOperationID::OPID_SESSIONS_GENERALREAD,                'OPID_SESSIONS_GENERALREAD'),
    (WQNOperationID::OPID_ENVIRONMENT_INTERACTION_START,       'OPID_ENVIRONMENT_INTERACTION_START'),
    (WQNOperationID::OPID_ENVIRONMENT_INTERACTION_STOP,        'OPID_ENVIRONMENT_INTERACTION_STOP'),
    (WQNOperationID::OPID_ENVIRONMENT_INTERACTION_MIGRATEP2V,  'OPID_ENVIRONMENT_INTERACTION_MIGRATEP2V'),
    (WQNOperationID::OPID_ENVIRONMENT_BACKUP_BACKUP_ENV,       'OPID_ENVIRONMENT_BACKUP_BACKUP_ENV'),
    (WQNOperationID::OPID_ENVIRONMENT_BACKUP_RESTORE_ENV,      'OPID_ENVIRONMENT_BACKUP_RESTORE_ENV'),
    (WQNOperationID::OPID_SAMPLECONFIGURAION_GENERALREAD,      'OPID_SAMPLECONFIGURAION_GENERALREAD'),
    (WQNOperationID::OPID_VERTUAL_SERVER_REQUEST_GET,          'OPID_VERTUAL_SERVER_REQUEST_GET'),
    (WQNOperationID::OPID_POLICY_READ,                         'OPID_POLICY_READ'),
    (WQNOperationID::OPID_POLICY_WRITE,                        'OPID_POLICY_WRITE'),
    (WQNOperationID::OPID_VDI_CLIENT_VIEW,                     'OPID_VDI_CLIENT_VIEW'),
    (WQNOperationID::OPID_WQAGENT_LOGON_CC,                    'OPID_WQAGENT_LOGON_CC');

-- The global scope has the platform's fixed identifier; units get their own.
INSERT INTO scope (scope_id, name, object_type_id, scope_guid, scope_uuid) VALUES
    (1, 'global',    WQNDBObjTypeID::objGlobalScope,        'WQNGlobalScopeGUID',                   'WQNGlobalScopeGUID'),
    (2, 'lab-rack',  WQNDBObjTypeID::objInfrastructureUnit, '5A0F2B7E-3C41-4D8B-9E62-1F7A0C3D9B24', '5A0F2B7E-3C41-4D8B-9E62-1F7A0C3D9B24');
