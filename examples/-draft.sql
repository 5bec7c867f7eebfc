-- A script whose name begins with '-': after `--`, wqnprep takes it for a path, not an option.
INSERT INTO rule (applies_to) VALUES (WQNRuleID::applicableForAll);
