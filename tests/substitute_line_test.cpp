// The line pass: which tokens are replaced, by what, and which are left alone.
#include "symbols/substitute_line.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace wqnprep {
namespace {

struct LineCase {
  const char* input;
  const char* expected;
};

void PrintTo(const LineCase& c, std::ostream* out) {
  *out << '"' << c.input << '"';
}

class SubstituteLine : public testing::TestWithParam<LineCase> {};

TEST_P(SubstituteLine, GivesTheExpectedLine) {
  std::string line = GetParam().input;
  substituteLine(line);
  EXPECT_EQ(line, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Replaced, SubstituteLine,
    testing::Values(LineCase{"INSERT INTO t VALUES (WQNOperationID::OPID_LICENSE_GENERALEXECUTE, "
                             "WQNDBObjTypeID::objIPPool, WQNEnvStatusID::ENV_STAT_RUNNING);",
                             "INSERT INTO t VALUES (2, 7, 6);"},
                    LineCase{"ServerType::stDns, ServerType::stWins", "0, 1"},
                    LineCase{"NetworkSettingType::nstNameServer", "0"},
                    LineCase{"WQNDBObjTypeID::objHardwareNode", "1"},
                    LineCase{"WQNEnvStatusID::ENV_STAT_DOWN", "3"},
                    // The namespace in front is a boundary, not part of the type name.
                    LineCase{"WQN::WQNRuleID::applicableForAll", "WQN::0"},
                    LineCase{"'WQNRuleID::applicableForHNs' -- WQNRuleID::applicableForVEs",
                             "'2' -- 1"}));

INSTANTIATE_TEST_SUITE_P(
    LeftAlone, SubstituteLine,
    testing::Values(
        LineCase{"no tokens: a::b, c :: d", "no tokens: a::b, c :: d"},
        LineCase{"OPID_LICENSE_GENERALEXECUTE stDns nstNameServer",
                 "OPID_LICENSE_GENERALEXECUTE stDns nstNameServer"},
        LineCase{"WQNOperationID::OPID_NO_SUCH_NAME", "WQNOperationID::OPID_NO_SUCH_NAME"},
        LineCase{"NoSuchType::stDns", "NoSuchType::stDns"},
        LineCase{"WQNRuleID :: applicableForAll", "WQNRuleID :: applicableForAll"},
        LineCase{"wqnruleid::applicableForAll", "wqnruleid::applicableForAll"},
        LineCase{"NetworkSettingType::nstHardwareNodeID", "NetworkSettingType::nstHardwareNodeID"},
        LineCase{"ServerType::stDnsX XServerType::stDns", "ServerType::stDnsX XServerType::stDns"},
        LineCase{"ServerType:::stDns", "ServerType:::stDns"}));

#define GUID "8C3E7755-D5D1-2B4F-BA73-E73F13C140D6"

INSTANTIATE_TEST_SUITE_P(
    GlobalScope, SubstituteLine,
    testing::Values(LineCase{"WHERE scope = 'WQNGlobalScopeGUID'", "WHERE scope = '" GUID "'"},
                    LineCase{"WQNGlobalScopeGUIDs xWQNGlobalScopeGUID",
                             "WQNGlobalScopeGUIDs xWQNGlobalScopeGUID"},
                    LineCase{"SomeType::WQNGlobalScopeGUID", "SomeType::" GUID},
                    LineCase{"WQNGlobalScopeGUID WQNGlobalScopeGUID", GUID " " GUID},
                    LineCase{"xWQNGlobalScopeGUID WQNGlobalScopeGUID", "xWQNGlobalScopeGUID " GUID},
                    LineCase{"WQNDBObjTypeID::objGlobalScope, WQNGlobalScopeGUID", "8, " GUID},
                    LineCase{"wqnglobalscopeguid", "wqnglobalscopeguid"}));

#undef GUID

}  // namespace
}  // namespace wqnprep
