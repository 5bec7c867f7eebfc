-- Operations the operator role may run everywhere.
INSERT INTO role_operation VALUES (2, 1, '8C3E7755-D5D1-2B4F-BA73-E73F13C140D6');
INSERT INTO role_operation VALUES (2, 128, '8C3E7755-D5D1-2B4F-BA73-E73F13C140D6');
