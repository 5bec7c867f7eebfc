#include "text/replace_whole_word.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace wqnprep {
namespace {

struct WholeWordCase {
  const char* line;
  const char* token;
  const char* value;
  const char* expected;
};

void PrintTo(const WholeWordCase& c, std::ostream* out) {
  *out << '"' << c.line << "\" with \"" << c.token << '"';
}

class ReplaceWholeWord : public testing::TestWithParam<WholeWordCase> {};

TEST_P(ReplaceWholeWord, ReplacesOnlyWholeWordOccurrences) {
  const WholeWordCase& c = GetParam();
  std::string line = c.line;
  replaceWholeWord(line, c.token, c.value);
  EXPECT_EQ(line, c.expected);
}

constexpr const char* kRule = "WQNRuleID::applicableForVEs";

INSTANTIATE_TEST_SUITE_P(
    Edges, ReplaceWholeWord,
    testing::Values(
        WholeWordCase{"WQNRuleID::applicableForVEs", kRule, "1", "1"},
        WholeWordCase{"(WQNRuleID::applicableForVEs)", kRule, "1", "(1)"},
        WholeWordCase{"WQNRuleID::applicableForVEs,WQNRuleID::applicableForVEs", kRule, "1", "1,1"},
        WholeWordCase{"at end WQNRuleID::applicableForVEs", kRule, "1", "at end 1"},
        WholeWordCase{"xWQNRuleID::applicableForVEs", kRule, "1", "xWQNRuleID::applicableForVEs"},
        WholeWordCase{"WQNRuleID::applicableForVEs2", kRule, "1", "WQNRuleID::applicableForVEs2"},
        WholeWordCase{"9WQNRuleID::applicableForVEs", kRule, "1", "9WQNRuleID::applicableForVEs"},
        // The underscore, the colon and bytes of 128 and above are boundaries.
        WholeWordCase{"WQNRuleID::applicableForVEs_x", kRule, "1", "1_x"},
        WholeWordCase{"x_WQNRuleID::applicableForVEs", kRule, "1", "x_1"},
        WholeWordCase{"Q::WQNRuleID::applicableForVEs", kRule, "1", "Q::1"},
        WholeWordCase{"\xE9WQNRuleID::applicableForVEs\xFF", kRule, "1",
                      "\xE9"
                      "1\xFF"},
        WholeWordCase{"\rWQNRuleID::applicableForVEs\r", kRule, "1", "\r1\r"},
        WholeWordCase{"wqnruleid::applicableforves", kRule, "1", "wqnruleid::applicableforves"}));

INSTANTIATE_TEST_SUITE_P(
    Scanning, ReplaceWholeWord,
    testing::Values(
        // A rejected occurrence does not hide the next one.
        WholeWordCase{"xWQNRuleID::applicableForVEs WQNRuleID::applicableForVEs", kRule, "1",
                      "xWQNRuleID::applicableForVEs 1"},
        WholeWordCase{"xG G", "G", "a-much-longer-value", "xG a-much-longer-value"},
        // A value holding the token is not searched again.
        WholeWordCase{"T T", "T", "T T", "T T T T"},
        // Edges are judged on the line as earlier replacements of the same call left it.
        WholeWordCase{"ab ab", "ab", "", " "},
        WholeWordCase{"no token here", "", "x", "no token here"}, WholeWordCase{"", "T", "1", ""},
        // The shorter of two names sharing a prefix is blocked by the word character after it.
        WholeWordCase{"X::MIGRATEP2V X::MIGRATE", "X::MIGRATE", "71", "X::MIGRATEP2V 71"}));

}  // namespace
}  // namespace wqnprep
