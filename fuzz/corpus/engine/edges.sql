--xWQNRuleID::applicableForVEs WQNRuleID::applicableForVEs_x
WQN::WQNRuleID::applicableForAll,WQNRuleID::applicableForHNs2
'WQNGlobalScopeGUID' xWQNGlobalScopeGUID WQNGlobalScopeGUIDs SomeType::WQNGlobalScopeGUID
