// The findings pass: each kind with what it must find and what it must leave alone, the
// suggestions, and positions that do not depend on how the input is split.
#include "findings/finding_scanner.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "findings/suggestions.h"
#include "random_scripts.h"
#include "stream_feeder.h"
#include "symbols/tables.h"
#include "text/edit_distance.h"

namespace wqnprep {
namespace {

// Each finding as "LINE:COLUMN [KIND] MESSAGE", for `input` fed in pieces of `piece` bytes.
std::vector<std::string> findingsOf(const std::string& input,
                                    const std::vector<std::size_t>& pieces,
                                    const FindingKinds& kinds = kAllFindingKinds,
                                    ColumnUnit unit = ColumnUnit::kDisplay) {
  std::vector<std::string> found;
  FindingScanner scanner(
      [&found](const Finding& finding) { found.push_back(testing::findingText(finding)); }, kinds,
      unit);
  std::size_t at = 0;
  for (std::size_t i = 0; at < input.size(); ++i) {
    const std::size_t take = std::min(pieces[i % pieces.size()], input.size() - at);
    scanner.scan(input.data() + at, take);
    at += take;
  }
  scanner.finish();
  return found;
}

std::size_t longestToken() {
  std::size_t longest = 0;
  for (const std::string& token : testing::allTokens()) longest = std::max(longest, token.size());
  return longest;
}

const std::vector<std::size_t> kPieceSizes{1, 2, 3, 7, 64, 4096};

struct Case {
  const char* label;
  std::string input;
  std::vector<std::string> expected;
};

void PrintTo(const Case& sample, std::ostream* out) {
  *out << sample.label;
}

class Findings : public ::testing::TestWithParam<Case> {};

TEST_P(Findings, AreTheExpectedOnesAtEveryPieceSize) {
  for (std::size_t piece : kPieceSizes) {
    EXPECT_EQ(findingsOf(GetParam().input, {piece}), GetParam().expected) << "pieces of " << piece;
  }
}

// Left mid-line with a finding held, every kind silenced on the next line and a byte-order mark
// behind it: none of it may reach the next input.
TEST_P(Findings, AreTheExpectedOnesFromARestartedScanner) {
  std::vector<std::string> found;
  FindingScanner scanner(
      [&found](const Finding& finding) { found.push_back(testing::findingText(finding)); });
  const std::string before = "\xEF\xBB\xBF-- wqnprep-ignore-next-line\nx WQNGlobalScopeGuid";
  scanner.scan(before.data(), before.size());
  scanner.restart();
  found.clear();
  scanner.scan(GetParam().input.data(), GetParam().input.size());
  scanner.finish();
  EXPECT_EQ(found, GetParam().expected);
}

auto label = [](const ::testing::TestParamInfo<Case>& info) { return info.param.label; };

// An empty input in one piece, as --check hands a short file over: nothing, and no room is made
// for it (the sanitizers' build checks that no copy is made into none).
TEST(FindingScanner, TakesAnEmptyInputInOnePiece) {
  std::vector<std::string> found;
  FindingScanner scanner(
      [&found](const Finding& finding) { found.push_back(testing::findingText(finding)); });
  scanner.scan("", 0);
  scanner.finish();
  EXPECT_EQ(found, std::vector<std::string>{});
}

// --- unknown-type ---------------------------------------------------------------------------

INSTANTIATE_TEST_SUITE_P(
    UnknownType, Findings,
    ::testing::Values(
        Case{"TypeInTheWrongCase",
             "(WQNOperationId::OPID_LICENSE_GENERALREAD)",
             {"1:2 [unknown-type] unknown type 'WQNOperationId'; did you mean 'WQNOperationID'?"}},
        Case{"TypeWithALetterMore",
             "WQNOperationIDs::OPID_LICENSE_GENERALREAD",
             {"1:1 [unknown-type] unknown type 'WQNOperationIDs'; did you mean 'WQNOperationID'?"}},
        Case{"AllLowerCase",
             "x wqnenvstatusid::env_stat_running",
             {"1:3 [unknown-type] unknown type 'wqnenvstatusid'; did you mean 'WQNEnvStatusID'?"}},
        Case{"TypoInTypeAndUnknownRowWithThePrefix",
             "WQNEnvStatsID::ENV_STAT_NOSUCH",
             {"1:1 [unknown-type] unknown type 'WQNEnvStatsID'; did you mean 'WQNEnvStatusID'?"}},
        Case{"BehindANamespace",
             "WQN::WQNRuleId::applicableForAll",
             {"1:6 [unknown-type] unknown type 'WQNRuleId'; did you mean 'WQNRuleID'?"}},
        // A lowerCamel prefix of three letters or more is a prefix of the type's rows.
        Case{"RowsPrefixWrittenInCamelCase",
             "WQNRuleId::applicableForNone WQNDBObjTypeId::objNothing",
             {"1:1 [unknown-type] unknown type 'WQNRuleId'; did you mean 'WQNRuleID'?",
              "1:30 [unknown-type] unknown type 'WQNDBObjTypeId'; did you mean 'WQNDBObjTypeID'?"}},
        Case{"RowUnderAnotherWord",
             "SELECT objects::objIPPool",
             {"1:8 [unknown-type] unknown type 'objects'; did you mean "
              "'WQNDBObjTypeID::objIPPool'?"}}),
    label);

// SQL and prose use "::" for other things; none of it is a finding.
INSTANTIATE_TEST_SUITE_P(
    NotAType, Findings,
    ::testing::Values(
        Case{"PostgresCasts",
             "SELECT x::int, 'a'::text, now()::date, col::character varying, id::bigint;\n"
             "SELECT created::timestamp, ip::inet, n::numeric(10, 2), b::boolean, r::regclass;",
             {}},
        Case{"CastOfAColumnNamedLikeAType",
             "SELECT servertype::text, networksettingtype::int, wqnruleid::varchar FROM t;",
             {}},
        // Two letters all rows begin with ("st" of stDns, stWins) are no prefix of them.
        Case{"CastOfAColumnNamedLikeATypeToAnEnum",
             "SELECT servertype::status, servertype::state, ServerTypes::stuff FROM t;",
             {}},
        Case{"SchemaAndCppNamesInComments",
             "-- schema::name, std::string, boost::lexical_cast\n/* a::b::c */",
             {}},
        Case{"NamespaceBeforeAType", "WQN::WQNRuleID::applicableForAll WQN::ServerType::stDns", {}},
        Case{"EmptyOrNumericName", "WQNRuleId:: WQNRuleId::1 WQNRuleId::", {}},
        Case{"FarFromEveryType", "Operation::OPID_LICENSE_GENERALREAD_X", {}}),
    label);

// --- unknown-placeholder --------------------------------------------------------------------

INSTANTIATE_TEST_SUITE_P(
    UnknownPlaceholder, Findings,
    ::testing::Values(
        Case{"InTheWrongCaseInAString",
             "VALUES ('WQNGlobalScopeGuid')",
             {"1:10 [unknown-placeholder] unknown placeholder 'WQNGlobalScopeGuid'; did you mean "
              "'WQNGlobalScopeGUID'?"}},
        Case{"WithALetterMore",
             "WQNGlobalScopeGUIDs",
             {"1:1 [unknown-placeholder] unknown placeholder 'WQNGlobalScopeGUIDs'; did you mean "
              "'WQNGlobalScopeGUID'?"}},
        Case{"WithALetterLess",
             "\n  WQNGlobalScopGUID",
             {"2:3 [unknown-placeholder] unknown placeholder 'WQNGlobalScopGUID'; did you mean "
              "'WQNGlobalScopeGUID'?"}},
        Case{"WithAnUnderscoreInside",
             "VALUES ('WQN_GlobalScopeGUID', WQNGlobal_ScopeGUID)",
             {"1:10 [unknown-placeholder] unknown placeholder 'WQN_GlobalScopeGUID'; did you mean "
              "'WQNGlobalScopeGUID'?",
              "1:32 [unknown-placeholder] unknown placeholder 'WQNGlobal_ScopeGUID'; did you mean "
              "'WQNGlobalScopeGUID'?"}},
        // The misspelt word is reported, not the longer run of name bytes around it as well.
        Case{"MisspeltWordWithAnUnderscoreAfterIt",
             "WQNGlobalScopeGUI_x",
             {"1:1 [unknown-placeholder] unknown placeholder 'WQNGlobalScopeGUI'; did you mean "
              "'WQNGlobalScopeGUID'?"}},
        // In a run of name bytes too long to be a placeholder itself.
        Case{"MisspeltWordInsideALongName",
             "SELECT old_WQNGlobalScopeGuid_value",
             {"1:12 [unknown-placeholder] unknown placeholder 'WQNGlobalScopeGuid'; did you mean "
              "'WQNGlobalScopeGUID'?"}},
        Case{"WithTwoLettersSwapped",
             "WQNGlobalScopeGIUD",
             {"1:1 [unknown-placeholder] unknown placeholder 'WQNGlobalScopeGIUD'; did you mean "
              "'WQNGlobalScopeGUID'?"}},
        Case{"InUpperSnakeCase",
             "VALUES ('WQN_GLOBAL_SCOPE_GUID')",
             {"1:10 [unknown-placeholder] unknown placeholder 'WQN_GLOBAL_SCOPE_GUID'; did you "
              "mean 'WQNGlobalScopeGUID'?"}},
        // Another case and two edits together are still a near miss: a column named so is too
        // close to the placeholder to pass unseen.
        Case{"LowercaseScopeIdColumn",
             "ALTER TABLE grants ADD COLUMN wqnglobalscopeid integer;",
             {"1:31 [unknown-placeholder] unknown placeholder 'wqnglobalscopeid'; did you mean "
              "'WQNGlobalScopeGUID'?"}}),
    label);

INSTANTIATE_TEST_SUITE_P(
    NotAPlaceholder, Findings,
    ::testing::Values(
        Case{"ThePlaceholderItself", "WQNGlobalScopeGUID, 'WQNGlobalScopeGUID'", {}},
        Case{"ThreeEditsAway", "WQNGlobalScopeGUIDsss WQNGlobalSc0peGU1Ds", {}},
        Case{"ThreeUnderscoresAway", "wqn_global_scope_guid", {}},
        Case{"SnakeCaseInsideALongerName", "WQN_GLOBAL_SCOPE_GUID_V2 MY_WQN_GLOBAL_SCOPE_GUID", {}},
        Case{"WordsOfTheSameLength",
             "NetworkSettingType applicableForAll objKalindroContainer",
             {}}),
    label);

// --- glued-token ----------------------------------------------------------------------------

INSTANTIATE_TEST_SUITE_P(
    GluedToken, Findings,
    ::testing::Values(
        Case{"UnderscoreAfterAnOperation",
             "(WQNOperationID::OPID_LICENSE_GENERALREAD_V2)",
             {"1:2 [glued-token] 'WQNOperationID::OPID_LICENSE_GENERALREAD' was replaced inside "
              "the longer name 'WQNOperationID::OPID_LICENSE_GENERALREAD_V2'"}},
        Case{"UnderscoreAfterAnObjectType",
             "WQNDBObjTypeID::objIPPool_old",
             {"1:1 [glued-token] 'WQNDBObjTypeID::objIPPool' was replaced inside the longer name "
              "'WQNDBObjTypeID::objIPPool_old'"}},
        Case{"UnderscoreBefore",
             "x_WQNRuleID::applicableForVEs",
             {"1:3 [glued-token] 'WQNRuleID::applicableForVEs' was replaced inside the longer name "
              "'x_WQNRuleID::applicableForVEs'"}},
        // Glued, and not a misspelling of the placeholder as well.
        Case{"UnderscoreBeforeThePlaceholder",
             "'_WQNGlobalScopeGUID'",
             {"1:3 [glued-token] 'WQNGlobalScopeGUID' was replaced inside the longer name "
              "'_WQNGlobalScopeGUID'"}},
        Case{"PlaceholderOnBothSides",
             "a_WQNGlobalScopeGUID_b",
             {"1:3 [glued-token] 'WQNGlobalScopeGUID' was replaced inside the longer name "
              "'a_WQNGlobalScopeGUID_b'"}},
        // The same token standing alone first must not make the glued one pass unseen.
        Case{"AfterTheSameTokenStandingAlone",
             "(ServerType::stDns, ServerType::stDns_x)",
             {"1:21 [glued-token] 'ServerType::stDns' was replaced inside the longer name "
              "'ServerType::stDns_x'"}},
        Case{"LongNameShownInPart",
             "WQNRuleID::applicableForAll_" + std::string(40, 'x'),
             {"1:1 [glued-token] 'WQNRuleID::applicableForAll' was replaced inside the longer name "
              "'WQNRuleID::applicableForAll_" +
              std::string(31, 'x') + "...'"}}),
    label);

INSTANTIATE_TEST_SUITE_P(
    NotGlued, Findings,
    ::testing::Values(
        Case{"StandingAlone", "(WQNRuleID::applicableForAll, ServerType::stDns);", {}},
        Case{"BetweenColons", "WQN::WQNRuleID::applicableForAll::x WQNGlobalScopeGUID::y", {}},
        // Not replaced, so not glued, but misspelt.
        Case{"NotReplacedAtAll",
             "xWQNRuleID::applicableForVEs xWQNGlobalScopeGUID_",
             {"1:1 [unknown-type] unknown type 'xWQNRuleID'; did you mean 'WQNRuleID'?",
              "1:30 [unknown-placeholder] unknown placeholder 'xWQNGlobalScopeGUID'; did you mean "
              "'WQNGlobalScopeGUID'?"}}),
    label);

// --- unknown-enumerator ---------------------------------------------------------------------

INSTANTIATE_TEST_SUITE_P(
    UnknownEnumerator, Findings,
    ::testing::Values(
        Case{"WithAndWithoutSuggestion",
             "WQNOperationID::OPID_LICENSE_GENERALWRITE\nWQNRuleID::zzz",
             {"1:1 [unknown-enumerator] unknown enumerator 'OPID_LICENSE_GENERALWRITE' of "
              "'WQNOperationID'",
              "2:1 [unknown-enumerator] unknown enumerator 'zzz' of 'WQNRuleID'"}},
        Case{"MissingPrefix",
             "WQNOperationID::LICENSE_GENERALREAD WQNEnvStatusID::RUNNING",
             {"1:1 [unknown-enumerator] unknown enumerator 'LICENSE_GENERALREAD' of "
              "'WQNOperationID'; did you mean 'OPID_LICENSE_GENERALREAD'?",
              "1:37 [unknown-enumerator] unknown enumerator 'RUNNING' of 'WQNEnvStatusID'; did you "
              "mean 'ENV_STAT_RUNNING'?"}},
        // Shown as far as the longest token would reach, and one byte more.
        Case{"NameLongerThanAnyToken",
             "WQNRuleID::" + std::string(100, 'a'),
             {"1:1 [unknown-enumerator] unknown enumerator '" +
              std::string(longestToken() + 1 - std::string("WQNRuleID::").size(), 'a') +
              "...' of 'WQNRuleID'"}},
        Case{"NotStandingAsAWordOrNumeric", "xWQNRuleID::zzz WQNRuleID::42", {}},
        // The exact type name promises one of its rows, whatever PostgreSQL makes of the case.
        Case{"ColumnInMixedCaseCastToText",
             "SELECT ServerType::text FROM nameservers;",
             {"1:8 [unknown-enumerator] unknown enumerator 'text' of 'ServerType'"}}),
    label);

// One edit from a row of the opposite meaning, a name is reported without that row: whoever took
// the suggestion would grant or store the opposite.
INSTANTIATE_TEST_SUITE_P(
    NoOppositeSuggested, Findings,
    ::testing::Values(
        Case{"ReadingABrokerSettingIsNotWritingIt",
             "WQNOperationID::OPID_VDI_SETTINGS_GET_BROKER",
             {"1:1 [unknown-enumerator] unknown enumerator 'OPID_VDI_SETTINGS_GET_BROKER' of "
              "'WQNOperationID'"}},
        Case{"WritingAPoolAccessIsNotReadingIt",
             "WQNOperationID::OPID_VDI_POOLS_GET_ACCESS",
             {"1:1 [unknown-enumerator] unknown enumerator 'OPID_VDI_POOLS_GET_ACCESS' of "
              "'WQNOperationID'"}},
        Case{"SettingTheAuditLogIsNotReadingIt",
             "WQNOperationID::OPID_VDI_LOGS_SET_AUDIT",
             {"1:1 [unknown-enumerator] unknown enumerator 'OPID_VDI_LOGS_SET_AUDIT' of "
              "'WQNOperationID'"}},
        Case{"LogoffIsNotLogon",
             "WQNOperationID::OPID_WQAGENT_LOGOFF_SOAP",
             {"1:1 [unknown-enumerator] unknown enumerator 'OPID_WQAGENT_LOGOFF_SOAP' of "
              "'WQNOperationID'"}},
        Case{"DesktopLogonIsNotLogoff",
             "WQNOperationID::OPID_VDI_POOLS_DESKTOP_LOGON",
             {"1:1 [unknown-enumerator] unknown enumerator 'OPID_VDI_POOLS_DESKTOP_LOGON' of "
              "'WQNOperationID'"}},
        Case{"ExistingIsNotUnexisting",
             "WQNEnvStatusID::ENV_STAT_EXIST",
             {"1:1 [unknown-enumerator] unknown enumerator 'ENV_STAT_EXIST' of 'WQNEnvStatusID'"}},
        Case{"UnmountedIsNotMounted",
             "WQNEnvStatusID::ENV_STAT_UNMOUNTED",
             {"1:1 [unknown-enumerator] unknown enumerator 'ENV_STAT_UNMOUNTED' of "
              "'WQNEnvStatusID'"}}),
    label);

// A type and one of its rows, joined by something else than "::".
INSTANTIATE_TEST_SUITE_P(
    MistypedSeparator, Findings,
    ::testing::Values(
        Case{"OneColon",
             "('WQNOperationID:OPID_LICENSE_GENERALREAD')",
             {"1:3 [unknown-enumerator] 'WQNOperationID:OPID_LICENSE_GENERALREAD' is not a token; "
              "did you mean 'WQNOperationID::OPID_LICENSE_GENERALREAD'?"}},
        Case{"BlanksAfterTheColons",
             "ServerType::\t stDns",
             {"1:1 [unknown-enumerator] 'ServerType::\t stDns' is not a token; did you mean "
              "'ServerType::stDns'?"}},
        Case{"BlanksBeforeTheColons",
             "(WQNOperationID ::OPID_LICENSE_GENERALREAD)",
             {"1:2 [unknown-enumerator] 'WQNOperationID ::OPID_LICENSE_GENERALREAD' is not a "
              "token; did you mean 'WQNOperationID::OPID_LICENSE_GENERALREAD'?"}},
        Case{"Dot",
             "(WQNOperationID.OPID_LICENSE_GENERALREAD)",
             {"1:2 [unknown-enumerator] 'WQNOperationID.OPID_LICENSE_GENERALREAD' is not a token; "
              "did you mean 'WQNOperationID::OPID_LICENSE_GENERALREAD'?"}},
        Case{"OneColonAndAMisspeltRow",
             "WQNOperationID:OPID_DIRECTORY_GENERLREAD",
             {"1:1 [unknown-enumerator] 'WQNOperationID:OPID_DIRECTORY_GENERLREAD' is not a "
              "token; did you mean 'WQNOperationID::OPID_DIRECTORY_GENERALREAD'?"}},
        Case{"OneColonAndAMisspeltType",
             "WQNOperationId:OPID_LICENSE_GENERALREAD",
             {"1:1 [unknown-type] 'WQNOperationId:OPID_LICENSE_GENERALREAD' is not a token; did "
              "you mean 'WQNOperationID::OPID_LICENSE_GENERALREAD'?"}},
        Case{"OneColonAndBothMisspelt",
             "servertypes:stdns",
             {"1:1 [unknown-type] 'servertypes:stdns' is not a token; did you mean "
              "'ServerType::stDns'?"}}),
    label);

INSTANTIATE_TEST_SUITE_P(
    NotAMistypedSeparator, Findings,
    ::testing::Values(
        Case{"NoRowAfterTheColons", "ServerType:: x ServerType:x ServerType :: stDns", {}},
        Case{"RowOfAnotherType", "ServerType:objIPPool", {}},
        Case{"LongerThanTheRow", "ServerType:stDns_x WQNEnvStatusID:: ENV_STAT_UPX", {}},
        Case{"BlankAfterOneColon", "-- ServerType: stDns is the DNS server", {}},
        Case{"BlanksOnBothSidesOfTheColons", "WQNOperationID :: OPID_LICENSE_GENERALREAD", {}},
        Case{"ColumnReferencesAndNumbers",
             "SELECT t.id, s.name FROM t JOIN s ON t.a = s.b WHERE x.y > 1.5 AND pg_catalog.text",
             {}},
        Case{"DotAfterATypeBeforeNoRow",
             "WQNOperationID.description, ServerType.stDns_x, WQNRuleID.zzz, WQNRuleID.",
             {}},
        Case{"OneColonAfterWordsFarFromAType",
             "'12:48:58', host:port, Note:OPID_LICENSE_GENERALREAD, Operations:stDns",
             {}},
        Case{"OneColonAfterACloseTypeBeforeNoRow",
             "ServerTypes:objIPPool WQNOperationId:something servertype:stDns_x",
             {}},
        Case{"LettersInsideLongerWords",
             "xWQNOperationID.OPID_LICENSE_GENERALREAD WQNOperationID.OPID_LICENSE_GENERALREADx",
             {}}),
    label);

// Up to 32 blanks may stand between a type and "::" for it to read as a mistyped token. The
// first read ends at every byte, so that the pass stops deciding inside the blanks as well,
// with the type far enough back for the scan to have passed it over.
struct BlanksBeforeColons {
  const char* label;
  std::size_t blanks;
  bool reported;
};

void PrintTo(const BlanksBeforeColons& sample, std::ostream* out) {
  *out << sample.label;
}

class TypeBlanksColons : public ::testing::TestWithParam<BlanksBeforeColons> {};

TEST_P(TypeBlanksColons, AreDecidedAlikeWhereverTheFirstReadEnds) {
  const std::string written =
      "WQNRuleID" + std::string(GetParam().blanks, ' ') + "::applicableForHNs";
  // Enough bytes after it that the pass decides the line before the input ends.
  const std::string input = "(" + written + ")" + std::string(1024, '\n');
  std::vector<std::string> expected;
  if (GetParam().reported) {
    expected.push_back("1:2 [unknown-enumerator] '" + written +
                       "' is not a token; did you mean 'WQNRuleID::applicableForHNs'?");
  }
  for (std::size_t first = 1; first < input.size(); ++first) {
    ASSERT_EQ(findingsOf(input, {first, input.size()}), expected) << "first read " << first;
  }
}

INSTANTIATE_TEST_SUITE_P(Findings, TypeBlanksColons,
                         ::testing::Values(BlanksBeforeColons{"MoreThanAVectorOfBlanks", 20, true},
                                           BlanksBeforeColons{"AsManyAsAllowed", 32, true},
                                           BlanksBeforeColons{"OneTooMany", 33, false}),
                         [](const ::testing::TestParamInfo<BlanksBeforeColons>& info) {
                           return info.param.label;
                         });

// --- Comments that silence findings ---------------------------------------------------------

INSTANTIATE_TEST_SUITE_P(
    Silenced, Findings,
    ::testing::Values(
        Case{"EveryKindOnItsLine",
             "SELECT WQNRuleID::zzz, 'WQNGlobalScopeGuid'; -- wqnprep-ignore\nWQNRuleID::zzz",
             {"2:1 [unknown-enumerator] unknown enumerator 'zzz' of 'WQNRuleID'"}},
        Case{"TheNamedKindOnly",
             "WQNRuleID::zzz 'WQNGlobalScopeGuid' --wqnprep-ignore: unknown-enumerator because\n",
             {"1:17 [unknown-placeholder] unknown placeholder 'WQNGlobalScopeGuid'; did you mean "
              "'WQNGlobalScopeGUID'?"}},
        Case{"KindsInABlockComment",
             "/*  wqnprep-ignore: unknown-type,glued-token */ WQNRuleId::applicableForAll "
             "WQNRuleID::applicableForAll_x",
             {}},
        Case{"TheNextLine",
             "WQNRuleID::zzz -- wqnprep-ignore-next-line\nWQNRuleID::zzz\nWQNRuleID::zzz",
             {"1:1 [unknown-enumerator] unknown enumerator 'zzz' of 'WQNRuleID'",
              "3:1 [unknown-enumerator] unknown enumerator 'zzz' of 'WQNRuleID'"}},
        Case{"TheNamedKindOnTheNextLine",
             "/* wqnprep-ignore-next-line: unknown-type */\nWQNRuleId::applicableForAll "
             "WQNRuleID::zzz",
             {"2:29 [unknown-enumerator] unknown enumerator 'zzz' of 'WQNRuleID'"}},
        Case{"UnknownKindIsReported",
             "WQNRuleID::zzz -- wqnprep-ignore: glued, unknown-enumerator",
             {"1:35 [unknown-suppression] 'glued' in wqnprep-ignore is no kind of finding; the "
              "kinds are " +
              std::string(kFindingKindNames)}},
        Case{"AMarkerAmongAnotherOnesKindsIsNone",
             "WQNRuleID::zzz -- wqnprep-ignore: --wqnprep-ignore\n",
             {"1:1 [unknown-enumerator] unknown enumerator 'zzz' of 'WQNRuleID'",
              "1:35 [unknown-suppression] '--wqnprep-ignore' in wqnprep-ignore is no kind of "
              "finding; the kinds are " +
                  std::string(kFindingKindNames)}},
        Case{"NotACommentOrNotTheMarker",
             "'wqnprep-ignore' WQNRuleID::zzz -- wqnprep-ignored -- a wqnprep-ignore\n",
             {"1:18 [unknown-enumerator] unknown enumerator 'zzz' of 'WQNRuleID'"}}),
    label);

// A line's findings wait for its end, however far and however many reads away it is.
TEST(SilencedFindings, AcrossTheBlocksOfTheProgramsReads) {
  const std::string input = "WQNRuleID::zzz" + std::string(300000, ' ') +
                            "-- wqnprep-ignore\n-- wqnprep-ignore-next-line\n" +
                            std::string(200000, ' ') + "WQNRuleID::zzz\nWQNRuleID::zzz\n";
  for (const std::vector<std::size_t>& pieces :
       std::vector<std::vector<std::size_t>>{{1 << 20}, {4093, 17}, {65536, 1, 131072}}) {
    EXPECT_EQ(testing::streamInPieces(input, pieces, true).findings,
              std::vector<std::string>{
                  "4:1 [unknown-enumerator] unknown enumerator 'zzz' of 'WQNRuleID'"});
  }
}

// --- Columns --------------------------------------------------------------------------------

INSTANTIATE_TEST_SUITE_P(
    DisplayColumns, Findings,
    ::testing::Values(Case{"AfterAnAccentedLetter",
                           "'\xC3\xA9' WQNRuleID::zzz",
                           {"1:5 [unknown-enumerator] unknown enumerator 'zzz' of 'WQNRuleID'"}},
                      Case{"AfterTabs",
                           "x\t\tWQNRuleID::zzz\n\tWQNRuleID::zzz",
                           {"1:17 [unknown-enumerator] unknown enumerator 'zzz' of 'WQNRuleID'",
                            "2:9 [unknown-enumerator] unknown enumerator 'zzz' of 'WQNRuleID'"}},
                      Case{"AfterWideCharacters",
                           "'\xE6\x97\xA5\xF0\x9F\x98\x80' WQNRuleID::zzz",
                           {"1:8 [unknown-enumerator] unknown enumerator 'zzz' of 'WQNRuleID'"}},
                      Case{"AfterInvalidBytes",
                           "\xE6\x97\xFF\xC0\x80 WQNRuleID::zzz",
                           {"1:7 [unknown-enumerator] unknown enumerator 'zzz' of 'WQNRuleID'"}},
                      // Far enough along the line that bytes before the finding are let go of,
                      // mid-character at some piece sizes.
                      Case{"AfterManyWideCharacters",
                           [] {
                             std::string wide;
                             for (int i = 0; i < 150; ++i) wide += "\xE6\x97\xA5";
                             return wide + " WQNRuleID::zzz";
                           }(),
                           {"1:302 [unknown-enumerator] unknown enumerator 'zzz' of 'WQNRuleID'"}},
                      Case{"AfterAByteOrderMark",
                           "\xEF\xBB\xBFWQNRuleID::zzz\n\xEF\xBB\xBFWQNRuleID::zzz",
                           {"1:1 [unknown-enumerator] unknown enumerator 'zzz' of 'WQNRuleID'",
                            "2:2 [unknown-enumerator] unknown enumerator 'zzz' of 'WQNRuleID'"}}),
    label);

TEST(ByteColumns, CountEveryByteButTheByteOrderMark) {
  const std::string input = "\xEF\xBB\xBF'\xC3\xA9'\tWQNRuleID::zzz";
  for (std::size_t piece : kPieceSizes) {
    EXPECT_EQ(findingsOf(input, {piece}, kAllFindingKinds, ColumnUnit::kByte),
              std::vector<std::string>{
                  "1:6 [unknown-enumerator] unknown enumerator 'zzz' of 'WQNRuleID'"});
  }
}

// The language server's unit: a character beyond U+FFFF is two code units, a tab one.
TEST(Utf16Columns, CountCodeUnits) {
  const std::string input = "\xEF\xBB\xBF'\xC3\xA9\xF0\x9F\x98\x80'\tWQNRuleID::zzz";
  for (std::size_t piece : kPieceSizes) {
    EXPECT_EQ(findingsOf(input, {piece}, kAllFindingKinds, ColumnUnit::kUtf16),
              std::vector<std::string>{
                  "1:7 [unknown-enumerator] unknown enumerator 'zzz' of 'WQNRuleID'"});
  }
}

// --- Order, kinds and pieces ----------------------------------------------------------------

TEST(FindingsOrder, FollowsTheInputAcrossKinds) {
  const std::string input =
      "WQNGlobalScopeGuid WQNRuleID::zzz_WQNRuleID::applicableForAll_\n"
      "Foo::stDns x_ServerType::stWins";
  const std::vector<std::string> expected{
      "1:1 [unknown-placeholder] unknown placeholder 'WQNGlobalScopeGuid'; did you mean "
      "'WQNGlobalScopeGUID'?",
      "1:20 [unknown-enumerator] unknown enumerator 'zzz_WQNRuleID' of 'WQNRuleID'",
      "1:35 [glued-token] 'WQNRuleID::applicableForAll' was replaced inside the longer name "
      "'zzz_WQNRuleID::applicableForAll_'",
      "2:1 [unknown-type] unknown type 'Foo'; did you mean 'ServerType::stDns'?",
      "2:14 [glued-token] 'ServerType::stWins' was replaced inside the longer name "
      "'x_ServerType::stWins'"};
  for (std::size_t piece : kPieceSizes) EXPECT_EQ(findingsOf(input, {piece}), expected);
}

TEST(FindingKinds, LeftOutKindsAreNotReported) {
  const std::string input =
      "WQNRuleID::zzz WQNRuleId::applicableForAll WQNGlobalScopeGuid WQNRuleID::applicableForAll_ "
      "-- wqnprep-ignore: glued";
  for (std::size_t left = 0; left < kFindingKindCount; ++left) {
    FindingKinds kinds = kAllFindingKinds;
    kinds[left] = false;
    const std::vector<std::string> found = findingsOf(input, {4096}, kinds);
    EXPECT_EQ(found.size(), kFindingKindCount - 1);
    const std::string name(findingKindName(static_cast<FindingKind>(left)));
    for (const std::string& finding : found) {
      EXPECT_EQ(finding.find("[" + name + "]"), std::string::npos) << finding;
    }
  }
}

TEST(FindingKinds, NamesGoBothWays) {
  for (std::size_t k = 0; k < kFindingKindCount; ++k) {
    const auto kind = static_cast<FindingKind>(k);
    EXPECT_EQ(findingKindNamed(findingKindName(kind)), kind);
  }
  EXPECT_EQ(findingKindNamed("unknown"), std::nullopt);
  EXPECT_EQ(findingKindNamed(""), std::nullopt);
}

// Scripts of real tokens, misspellings and SQL around them.
std::string randomScript(std::mt19937& random) {
  static const std::vector<std::string> parts{"WQNOperationID::OPID_LICENSE_GENERALREAD",
                                              "WQNOperationId::OPID_SSO_GENERALREAD",
                                              "WQNRuleID::applicableForAll",
                                              "WQNRuleID::zzz",
                                              "WQNGlobalScopeGUID",
                                              "WQNGlobalScopeGuid",
                                              "ServerType::stDns",
                                              "x::int",
                                              "WQN::",
                                              "_",
                                              "::",
                                              ":",
                                              "\n",
                                              " ",
                                              "'",
                                              "(",
                                              "V2",
                                              "7",
                                              "\xe9",
                                              "WQNEnvStatusID::RUNNING",
                                              "foo::objIPPool",
                                              "WQN_GlobalScopeGUID",
                                              "ServerType:",
                                              "stDns",
                                              ".",
                                              "\t",
                                              "\xE6\x97\xA5",
                                              "WQN_GLOBAL_SCOPE_GUID",
                                              "-- wqnprep-ignore",
                                              "/* wqnprep-ignore-next-line: glued-token, x */"};
  std::string input;
  const std::size_t count = 1 + random() % 80;
  for (std::size_t i = 0; i < count; ++i) input += parts[random() % parts.size()];
  return input;
}

TEST(FindingsOrder, DoNotDependOnPiecesOnRandomScripts) {
  std::mt19937 random(20261209);
  for (int round = 0; round < 300; ++round) {
    const std::string input = randomScript(random);
    const std::vector<std::string> whole = findingsOf(input, {input.size() + 1});
    std::vector<std::size_t> pieces;
    for (int i = 0; i < 6; ++i) pieces.push_back(1 + random() % 50);
    ASSERT_EQ(findingsOf(input, pieces), whole) << "round " << round;
  }
}

// --- Unknown enumerators through the program's block loop -----------------------------------

// The unknown enumerators found while preprocess() reads `input` in `pieces`, each as
// "LINE:COLUMN TYPE::NAME", in byte columns, which the tests look the reported bytes up by.
std::vector<std::string> enumeratorReports(const std::string& input,
                                           const std::vector<std::size_t>& pieces) {
  const testing::StreamRun run = testing::streamInPieces(input, pieces, true, ColumnUnit::kByte);
  EXPECT_FALSE(run.heldTooMuch);
  EXPECT_FALSE(run.heldALineFeed) << "a whole line was held back";
  std::vector<std::string> reports;
  const std::string kind = " [unknown-enumerator] unknown enumerator '";
  for (const std::string& finding : run.findings) {
    const std::size_t at = finding.find(kind);
    if (at == std::string::npos) continue;
    const std::size_t nameEnd = finding.find("' of '", at + kind.size());
    const std::size_t typeEnd = finding.find('\'', nameEnd + 6);
    reports.push_back(finding.substr(0, at) + " " +
                      finding.substr(nameEnd + 6, typeEnd - nameEnd - 6) +
                      "::" + finding.substr(at + kind.size(), nameEnd - at - kind.size()));
  }
  return reports;
}

TEST(UnknownEnumerators, AreReportedOnceWithTheirPositionAtEveryPieceSize) {
  const std::string input =
      "WQNRuleID::zzz WQNRuleID::applicableForAll\n"
      "\n"
      "  (NetworkSettingType::nstHardwareNodeID,xWQNRuleID::no WQNRuleID::applicableForVEs2)\n"
      "WQNRuleID::1st ServerType:: ServerType::stDns_x ServerType::stDnsX";
  const std::vector<std::string> expected{
      "1:1 WQNRuleID::zzz", "3:4 NetworkSettingType::nstHardwareNodeID",
      "3:57 WQNRuleID::applicableForVEs2", "4:49 ServerType::stDnsX"};
  for (std::size_t piece : {1, 2, 5, 16, 4096}) {
    EXPECT_EQ(enumeratorReports(input, {piece}), expected) << "pieces of " << piece;
  }
}

TEST(UnknownEnumerators, PointAtTheTokenAndDoNotDependOnPieces) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    const std::string input = testing::scriptOfTokensAndNearMisses(random);
    const std::vector<std::string> whole = enumeratorReports(input, {input.size() + 1});
    ASSERT_EQ(enumeratorReports(input, testing::randomPieceSizes(random)), whole)
        << "round " << round;

    // Each report names the bytes found at its line and column.
    std::vector<std::size_t> lineStarts{0};
    for (std::size_t i = 0; i < input.size(); ++i) {
      if (input[i] == '\n') lineStarts.push_back(i + 1);
    }
    for (const std::string& report : whole) {
      const std::size_t colon = report.find(':');
      const std::size_t blank = report.find(' ');
      const std::size_t line = std::stoul(report.substr(0, colon));
      const std::size_t column = std::stoul(report.substr(colon + 1, blank - colon - 1));
      std::string token = report.substr(blank + 1);
      if (token.size() > 3 && token.compare(token.size() - 3, 3, "...") == 0)
        token.resize(token.size() - 3);
      ASSERT_EQ(input.compare(lineStarts[line - 1] + column - 1, token.size(), token), 0)
          << report << " in round " << round;
    }
  }
}

// --- Suggestions ----------------------------------------------------------------------------

struct Suggestion {
  const char* type;
  const char* name;
  const char* meant;  // "" for none
};

void PrintTo(const Suggestion& sample, std::ostream* out) {
  *out << sample.type << "::" << sample.name;
}

class RowSuggestion : public ::testing::TestWithParam<Suggestion> {};

std::size_t typeIndex(const std::string& name) {
  for (std::size_t t = 0; t < registry().size(); ++t) {
    if (registry()[t]->typeName == name) return t;
  }
  ADD_FAILURE() << "no type " << name;
  return 0;
}

TEST_P(RowSuggestion, NamesOnlyTheRowClearlyMeant) {
  Suggester suggester(registry(), globalScopeList());
  const std::size_t type = typeIndex(GetParam().type);
  EXPECT_EQ(suggester.rowFor(type, GetParam().name), GetParam().meant);
  EXPECT_EQ(suggester.rowFor(type, GetParam().name), GetParam().meant) << "asked again";
}

INSTANTIATE_TEST_SUITE_P(
    Rules, RowSuggestion,
    ::testing::Values(
        // The opposite permission is two rows away from nothing: no suggestion.
        Suggestion{"WQNOperationID", "OPID_LICENSE_GENERALWRITE", ""},
        Suggestion{"WQNOperationID", "OPID_SESSIONS_GENERALEXEC", ""},
        Suggestion{"WQNOperationID", "OPID_VIRTUAL_SERVER_REQUEST_GET",
                   "OPID_VERTUAL_SERVER_REQUEST_GET"},
        Suggestion{"WQNOperationID", "OPID_SAMPLECONFIGURATION_GENERALWRITE",
                   "OPID_SAMPLECONFIGURAION_GENERALWRITE"},
        Suggestion{"WQNOperationID", "opid_license_generalread", "OPID_LICENSE_GENERALREAD"},
        Suggestion{"WQNOperationID", "LICENSE_GENERALREAD", "OPID_LICENSE_GENERALREAD"},
        Suggestion{"WQNOperationID", "OPID_LICENES_GENERALREAD", "OPID_LICENSE_GENERALREAD"},
        // GET and SET are equally close.
        Suggestion{"WQNOperationID", "OPID_VERTUAL_SERVER_REQUEST_XET", ""},
        Suggestion{"WQNEnvStatusID", "RUNNING", "ENV_STAT_RUNNING"},
        Suggestion{"WQNEnvStatusID", "ENV_STAT_RUNING", "ENV_STAT_RUNNING"},
        Suggestion{"NetworkSettingType", "nstHardwareNodeID", "nstHardWareNodeID"},
        Suggestion{"WQNRuleID", "applicableForAllx", "applicableForAll"},
        // No prefix shared up to an underscore: nothing is put in front, but two letters short
        // is still within reach.
        Suggestion{"WQNRuleID", "All", ""}, Suggestion{"ServerType", "Dns", "stDns"},
        // The closest row means the opposite in one word: no row, not the next closest either.
        Suggestion{"WQNOperationID", "OPID_VDI_SETTINGS_GET_BROKER", ""},
        Suggestion{"WQNOperationID", "opid_vdi_settings_get_broker", ""},
        Suggestion{"WQNOperationID", "OPID_VDI_SETTINGS_GET_BROKR", ""},
        Suggestion{"WQNOperationID", "OPID_VDI_POOLS_DESKTOP_LOGON", ""},
        Suggestion{"WQNOperationID", "OPID_WQAGENT_LOGOFF_SOAP", ""},
        Suggestion{"WQNEnvStatusID", "ENV_STAT_EXIST", ""},
        Suggestion{"WQNEnvStatusID", "ENV_STAT_UNMOUNTED", ""},
        // A word that differs without meaning the opposite still gets its row.
        Suggestion{"WQNOperationID", "OPID_VDI_SETTINGS_SET_BROKR", "OPID_VDI_SETTINGS_SET_BROKER"},
        Suggestion{"WQNOperationID", "OPID_VDI_POOLS_HARDWARENODE_AD",
                   "OPID_VDI_POOLS_HARDWARENODE_ADD"},
        Suggestion{"WQNOperationID", "OPID_ENVIRONMENT_INTERACTION_STOPP",
                   "OPID_ENVIRONMENT_INTERACTION_STOP"},
        Suggestion{"WQNEnvStatusID", "ENV_STAT_MOUNTD", "ENV_STAT_MOUNTED"}),
    [](const ::testing::TestParamInfo<Suggestion>& info) {
      return std::string(info.param.type) + "_" + std::to_string(info.index);
    });

struct Distance {
  const char* a;
  const char* b;
  std::size_t limit;
  std::size_t expected;
};

class DamerauDistance : public ::testing::TestWithParam<Distance> {};

TEST_P(DamerauDistance, CountsEditsUpToTheLimit) {
  const Distance& d = GetParam();
  EXPECT_EQ(damerauDistanceWithin(d.a, d.b, d.limit), d.expected) << d.a << " " << d.b;
  EXPECT_EQ(damerauDistanceWithin(d.b, d.a, d.limit), d.expected) << d.b << " " << d.a;
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, DamerauDistance,
    ::testing::Values(Distance{"", "", 2, 0}, Distance{"abc", "ABC", 2, 0},
                      Distance{"ab", "ba", 2, 1}, Distance{"abcd", "acbd", 2, 1},
                      Distance{"abcd", "badc", 3, 2}, Distance{"kitten", "sitting", 5, 3},
                      Distance{"kitten", "sitting", 2, 3}, Distance{"", "abc", 2, 3},
                      Distance{"", "ab", 2, 2}, Distance{"ca", "abc", 5, 3},
                      Distance{"GENERALREAD", "GENERALWRITE", 2, 3},
                      Distance{"GENERALREAD", "GENERALWRITE", 9, 4}));

}  // namespace
}  // namespace wqnprep
