UPDATE environment SET status = WQNEnvStatusID::ENV_STAT_DOWN
 WHERE kind = WQNDBObjTypeID::objHardwareNode AND rule = WQNRuleID::applicableForHNs;
