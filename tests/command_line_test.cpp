// The option parser, driven by a table of its own: a flag, and two options that take a value.
#include "app/command_line.h"
#include "app/usage.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace wqnprep {
namespace {

constexpr std::array<OptionSpec, 3> kTable{{
    {"flag", 'f', "", "a flag"},
    {"output-dir", 'd', "DIR", "takes a value, has a short form"},
    {"ignore", '\0', "KIND", "takes a value, long form only"},
}};

using Given = std::vector<std::vector<std::string>>;  // per option of kTable
using Kind = CommandLineMistake::Kind;

struct ParseCase {
  const char* label;
  std::vector<std::string> args;  // after the program name
  Given given;
  std::vector<std::string> paths;
  std::optional<CommandLineMistake> mistake;
};

void PrintTo(const ParseCase& c, std::ostream* out) {
  *out << c.label;
}

CommandLine parse(const std::vector<std::string>& args) {
  std::vector<const char*> argv{"prog"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  argv.push_back(nullptr);
  return parseCommandLine(kTable, static_cast<int>(argv.size() - 1), argv.data());
}

class Parse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(Parse, SortsArgumentsIntoOptionsPathsAndTheFirstMistake) {
  const CommandLine line = parse(GetParam().args);
  EXPECT_EQ(line.given, GetParam().given);
  EXPECT_EQ(line.paths, GetParam().paths);
  ASSERT_EQ(line.mistake.has_value(), GetParam().mistake.has_value());
  if (line.mistake) {
    EXPECT_EQ(line.mistake->kind, GetParam().mistake->kind);
    EXPECT_EQ(line.mistake->option, GetParam().mistake->option);
  }
}

const Given kNone{{}, {}, {}};

INSTANTIATE_TEST_SUITE_P(
    Paths, Parse,
    ::testing::Values(ParseCase{"Nothing", {}, kNone, {}, {}},
                      ParseCase{"InOrder", {"b", "a", "c"}, kNone, {"b", "a", "c"}, {}},
                      ParseCase{"LoneDashIsAPath", {"-", "-"}, kNone, {"-", "-"}, {}},
                      ParseCase{"DoubleDashEndsOptions",
                                {"x", "--", "--flag", "-d", "--", "--bogus"},
                                kNone,
                                {"x", "--flag", "-d", "--", "--bogus"},
                                {}}),
    [](const auto& info) { return info.param.label; });

INSTANTIATE_TEST_SUITE_P(
    Options, Parse,
    ::testing::Values(
        ParseCase{"FlagBothForms", {"--flag", "in", "-f"}, {{"", ""}, {}, {}}, {"in"}, {}},
        ParseCase{"LongAttached", {"--output-dir=out"}, {{}, {"out"}, {}}, {}, {}},
        ParseCase{"LongAttachedEmpty", {"--output-dir="}, {{}, {""}, {}}, {}, {}},
        ParseCase{"LongAttachedKeepsLaterEquals", {"--ignore=a=b"}, {{}, {}, {"a=b"}}, {}, {}},
        ParseCase{"LongSeparate", {"--output-dir", "out", "in"}, {{}, {"out"}, {}}, {"in"}, {}},
        ParseCase{"ShortSeparate", {"-d", "out", "in"}, {{}, {"out"}, {}}, {"in"}, {}},
        ParseCase{"ShortAttached", {"-dout", "in"}, {{}, {"out"}, {}}, {"in"}, {}},
        ParseCase{"SeparateValueMayLookLikeAnOption",
                  {"-d", "--flag", "--ignore", "--", "x"},
                  {{}, {"--flag"}, {"--"}},
                  {"x"},
                  {}},
        ParseCase{
            "SeparateValueMayBeADash", {"--output-dir", "-", "x"}, {{}, {"-"}, {}}, {"x"}, {}},
        ParseCase{"RepeatedInOrder",
                  {"--ignore=b", "x", "--ignore", "a", "--ignore=b", "-d1", "--output-dir=2"},
                  {{}, {"1", "2"}, {"b", "a", "b"}},
                  {"x"},
                  {}}),
    [](const auto& info) { return info.param.label; });

INSTANTIATE_TEST_SUITE_P(
    Mistakes, Parse,
    ::testing::Values(
        ParseCase{"UnknownLong",
                  {"--bogus"},
                  kNone,
                  {},
                  CommandLineMistake{Kind::kUnknownOption, "--bogus"}},
        ParseCase{"UnknownLongWithValue",
                  {"--bogus=1"},
                  kNone,
                  {},
                  CommandLineMistake{Kind::kUnknownOption, "--bogus=1"}},
        ParseCase{"NoAbbreviations",
                  {"--fla"},
                  kNone,
                  {},
                  CommandLineMistake{Kind::kUnknownOption, "--fla"}},
        ParseCase{"LongerThanAName",
                  {"--flags"},
                  kNone,
                  {},
                  CommandLineMistake{Kind::kUnknownOption, "--flags"}},
        ParseCase{"ThreeDashes",
                  {"---flag"},
                  kNone,
                  {},
                  CommandLineMistake{Kind::kUnknownOption, "---flag"}},
        ParseCase{
            "UnknownShort", {"-x"}, kNone, {}, CommandLineMistake{Kind::kUnknownOption, "-x"}},
        ParseCase{"FlagsAreNotBundled",
                  {"-ff"},
                  kNone,
                  {},
                  CommandLineMistake{Kind::kUnknownOption, "-ff"}},
        ParseCase{"LongNameAfterOneDash",
                  {"-flag"},
                  kNone,
                  {},
                  CommandLineMistake{Kind::kUnknownOption, "-flag"}},
        ParseCase{"ValueForAFlag",
                  {"--flag=yes"},
                  kNone,
                  {},
                  CommandLineMistake{Kind::kUnexpectedArgument, "--flag"}},
        ParseCase{"EmptyValueForAFlag",
                  {"--flag="},
                  kNone,
                  {},
                  CommandLineMistake{Kind::kUnexpectedArgument, "--flag"}},
        ParseCase{"MissingLongValue",
                  {"in", "--output-dir"},
                  kNone,
                  {"in"},
                  CommandLineMistake{Kind::kMissingArgument, "--output-dir"}},
        ParseCase{"MissingShortValue",
                  {"-d"},
                  kNone,
                  {},
                  CommandLineMistake{Kind::kMissingArgument, "-d"}},
        ParseCase{"StopsAtTheFirst",
                  {"-f", "--bogus", "--flag", "x", "--ignore"},
                  {{""}, {}, {}},
                  {},
                  CommandLineMistake{Kind::kUnknownOption, "--bogus"}}),
    [](const auto& info) { return info.param.label; });

// --- What a wrong option is told ---------------------------------------------------------------

struct MessageCase {
  const char* label;
  CommandLineMistake mistake;
  const char* complaint;  // the first line; the second is always the same
};

void PrintTo(const MessageCase& c, std::ostream* out) {
  *out << c.label;
}

class MistakeMessage : public ::testing::TestWithParam<MessageCase> {};

TEST_P(MistakeMessage, NamesTheOptionAsGnuToolsDo) {
  EXPECT_EQ(describeMistake(programName("/usr/bin/prep"), GetParam().mistake),
            std::string(GetParam().complaint) + "\nTry 'prep --help' for more information.");
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, MistakeMessage,
    ::testing::Values(
        MessageCase{"UnknownLong",
                    {Kind::kUnknownOption, "--strcit"},
                    "prep: unrecognized option '--strcit'"},
        MessageCase{"UnknownShort", {Kind::kUnknownOption, "-x"}, "prep: invalid option -- 'x'"},
        MessageCase{"UnknownShortWithMore",
                    {Kind::kUnknownOption, "-xy"},
                    "prep: unrecognized option '-xy'"},
        MessageCase{"MissingLong",
                    {Kind::kMissingArgument, "--output-dir"},
                    "prep: option '--output-dir' requires an argument"},
        MessageCase{"MissingShort",
                    {Kind::kMissingArgument, "-d"},
                    "prep: option requires an argument -- 'd'"},
        MessageCase{"Unexpected",
                    {Kind::kUnexpectedArgument, "--strict"},
                    "prep: option '--strict' doesn't allow an argument"}),
    [](const auto& info) { return info.param.label; });

}  // namespace
}  // namespace wqnprep
