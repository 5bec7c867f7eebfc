// Findings through the program: the typos that used to load silently fail --strict, SQL that
// uses "::" for other things does not, and --ignore silences one kind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "run_program.h"

namespace wqnprep::testing {
namespace {

using ::testing::HasSubstr;

struct Script {
  const char* label;
  std::string input;
  const char* kind;  // the kind reported, or nullptr for none
};

void PrintTo(const Script& script, std::ostream* out) {
  *out << script.label;
}

class StrictRun : public ::testing::TestWithParam<Script> {};

TEST_P(StrictRun, FailsExactlyOnAFinding) {
  ScratchDir dir;
  writeFile(dir.file("in.sql"), GetParam().input);
  const ProgramResult result = runWqnprep({"--strict", dir.file("in.sql"), dir.file("out.sql")});
  if (GetParam().kind != nullptr) {
    EXPECT_EQ(result.status, 1);
    EXPECT_THAT(result.err, HasSubstr(dir.file("in.sql") + ":1:"));
    EXPECT_THAT(result.err, HasSubstr(std::string(" [") + GetParam().kind + "]\n"));
    EXPECT_THAT(result.err, HasSubstr("Error: 1 finding in '" + dir.file("in.sql") + "'; '" +
                                      dir.file("out.sql") + "' was not written"));
    EXPECT_FALSE(fileExists(dir.file("out.sql")));
  } else {
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(fileExists(dir.file("out.sql")));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Typos, StrictRun,
    ::testing::Values(
        Script{"TypeInTheWrongCase",
               "INSERT INTO grants VALUES (WQNOperationId::OPID_LICENSE_GENERALREAD);\n",
               "unknown-type"},
        Script{"TypeWithALetterMore",
               "INSERT INTO grants VALUES (WQNOperationIDs::OPID_LICENSE_GENERALREAD);\n",
               "unknown-type"},
        Script{"PlaceholderThatFitsACharColumn",
               "INSERT INTO scopes (guid) VALUES ('WQNGlobalScopeGuid');\n", "unknown-placeholder"},
        Script{"TokenGluedToASuffix",
               "INSERT INTO grants VALUES (WQNOperationID::OPID_LICENSE_GENERALREAD_V2);\n",
               "glued-token"},
        Script{"UnknownRow",
               "INSERT INTO grants VALUES (WQNOperationID::OPID_LICENSE_GENERALWRITE);\n",
               "unknown-enumerator"},
        Script{"NoSuchKindSilenced",
               "INSERT INTO grants VALUES (1); -- wqnprep-ignore: unknown-enumeratr\n",
               "unknown-suppression"},
        // One byte off, and that byte one that ends a word: neither replaced nor to be missed.
        Script{"UnderscoreInsideThePlaceholder",
               "INSERT INTO scopes (guid) VALUES ('WQN_GlobalScopeGUID');\n",
               "unknown-placeholder"},
        Script{"UnderscoreSplittingThePlaceholder",
               "INSERT INTO scopes (guid) VALUES ('WQNGlobal_ScopeGUID');\n",
               "unknown-placeholder"},
        Script{"OneColonOnly",
               "INSERT INTO grants VALUES ('WQNOperationID:OPID_LICENSE_GENERALREAD');\n",
               "unknown-enumerator"},
        Script{"BlankAfterTheColons",
               "INSERT INTO grants VALUES ('WQNOperationID:: OPID_LICENSE_GENERALREAD');\n",
               "unknown-enumerator"}),
    [](const ::testing::TestParamInfo<Script>& info) { return info.param.label; });

INSTANTIATE_TEST_SUITE_P(
    Guards, StrictRun,
    ::testing::Values(
        Script{"PostgresCasts",
               "SELECT x::int, 'a'::text, now()::date, col::character varying FROM t;\n", nullptr},
        Script{"NamesInComments", "-- copies schema::name, see std::string\n", nullptr},
        Script{"NamespaceBeforeAType", "UPDATE r SET rule = WQN::WQNRuleID::applicableForAll;\n",
               nullptr},
        Script{"FindingSilencedByAComment",
               "INSERT INTO t VALUES (WQNOperationID::OPID_LICENSE_GENERALWRITE); -- "
               "wqnprep-ignore: unknown-enumerator\n",
               nullptr},
        Script{"EverySymbolKnown",
               "INSERT INTO t VALUES (WQNOperationID::OPID_LICENSE_GENERALEXECUTE, "
               "'WQNGlobalScopeGUID', WQNEnvStatusID::ENV_STAT_RUNNING);\n",
               nullptr},
        // A servertype column (ServerType's rows all begin with "st") cast to an enum type.
        Script{"ColumnCastToAStatusEnum", "SELECT servertype::status FROM nameservers;\n", nullptr},
        Script{"ColumnCastToAStateEnum", "SELECT servertype::state FROM nameservers;\n", nullptr}),
    [](const ::testing::TestParamInfo<Script>& info) { return info.param.label; });

TEST(StrictRun, CountsFindingsOfEveryKind) {
  ScratchDir dir;
  writeFile(
      dir.file("in.sql"),
      "WQNRuleID::zzz WQNRuleId::applicableForAll\n'WQNGlobalScopeGuid' ServerType::stDns_x\n");
  const ProgramResult result = runWqnprep({"--strict", dir.file("in.sql"), dir.file("out.sql")});
  EXPECT_EQ(result.status, 1);
  for (const char* kind :
       {"[unknown-enumerator]", "[unknown-type]", "[unknown-placeholder]", "[glued-token]"}) {
    EXPECT_THAT(result.err, HasSubstr(kind));
  }
  EXPECT_THAT(result.err, HasSubstr("Error: 4 findings in "));
}

// --- --ignore=KIND ----------------------------------------------------------------------------

TEST(IgnoreOption, SilencesTheNamedKindsOnly) {
  ScratchDir dir;
  writeFile(dir.file("in.sql"), "WQNOperationID::OPID_LICENSE_GENERALREAD_V2 WQNRuleID::zzz\n");
  const std::string in = dir.file("in.sql");
  const std::string out = dir.file("out.sql");

  const ProgramResult glued = runWqnprep({"--strict", "--ignore=glued-token", in, out});
  EXPECT_EQ(glued.status, 1);
  EXPECT_THAT(glued.err, HasSubstr("[unknown-enumerator]"));
  EXPECT_THAT(glued.err, ::testing::Not(HasSubstr("[glued-token]")));
  EXPECT_THAT(glued.err, HasSubstr("Error: 1 finding in "));

  const ProgramResult both =
      runWqnprep({"--ignore=unknown-enumerator", "--strict", in, out, "--ignore=glued-token"});
  EXPECT_EQ(both.status, 0) << both.err;
  EXPECT_EQ(both.err, "");
  EXPECT_EQ(readFile(out), "1_V2 WQNRuleID::zzz\n") << "the output does not change";
}

TEST(IgnoreOption, AnUnknownKindIsAWrongCommandLine) {
  ScratchDir dir;
  writeFile(dir.file("in.sql"), "WQNRuleID::zzz\n");
  for (const char* kind : {"glued", "", "Unknown-Type"}) {
    const ProgramResult result = runWqnprep({"--warn-unknown", std::string("--ignore=") + kind,
                                             dir.file("in.sql"), dir.file("out.sql")});
    EXPECT_EQ(result.status, 2) << kind;
    EXPECT_THAT(result.err, HasSubstr(std::string("--ignore=") + kind + ": no such kind")) << kind;
    EXPECT_FALSE(fileExists(dir.file("out.sql"))) << kind;
  }
}

// --- --column-unit=UNIT ------------------------------------------------------------------------

struct ColumnCase {
  const char* label;
  std::vector<std::string> options;
  int status;
  const char* reported;  // on standard error
};

void PrintTo(const ColumnCase& c, std::ostream* out) {
  *out << c.label;
}

class ColumnUnitOption : public ::testing::TestWithParam<ColumnCase> {};

// A byte-order mark, a two-byte letter and a tab before the finding.
TEST_P(ColumnUnitOption, CountsWhatItNames) {
  ScratchDir dir;
  writeFile(dir.file("in.sql"), "\xEF\xBB\xBF'\xC3\xA9'\tWQNRuleID::zzz\n");
  std::vector<std::string> args{"--check", "in.sql"};
  args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
  const ProgramResult result = runWqnprep(args, "/dev/null", dir.path());
  EXPECT_EQ(result.status, GetParam().status);
  EXPECT_THAT(result.err, HasSubstr(GetParam().reported));
}

INSTANTIATE_TEST_SUITE_P(
    Units, ColumnUnitOption,
    ::testing::Values(ColumnCase{"DisplayByDefault", {}, 1, "in.sql:1:9: error: "},
                      ColumnCase{"Display", {"--column-unit=display"}, 1, "in.sql:1:9: error: "},
                      ColumnCase{"Byte", {"--column-unit", "byte"}, 1, "in.sql:1:6: error: "},
                      ColumnCase{"TheLastOneGiven",
                                 {"--column-unit=byte", "--column-unit=display"},
                                 1,
                                 "in.sql:1:9: error: "},
                      ColumnCase{
                          "SarifCountsCharacters", {"--format=sarif"}, 1, "\"startColumn\":5"},
                      ColumnCase{"NoOtherUnitInSarif",
                                 {"--format=sarif", "--column-unit=display"},
                                 2,
                                 "wqnprep: --column-unit does not go with --format=sarif, whose "
                                 "columns count characters\n"},
                      ColumnCase{"NoSuchUnit",
                                 {"--column-unit=bytes"},
                                 2,
                                 "wqnprep: --column-unit=bytes: no such unit; the units are "
                                 "display, byte\n"}),
    [](const ::testing::TestParamInfo<ColumnCase>& info) { return info.param.label; });

}  // namespace
}  // namespace wqnprep::testing
