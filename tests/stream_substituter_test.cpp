// The streaming engine against the line-by-line pass that defines the output.
#include "symbols/stream_substituter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "random_scripts.h"
#include "stream_feeder.h"
#include "symbols/substitute_line.h"
#include "symbols/tables.h"
#include "text/word_chars.h"

namespace wqnprep {
namespace {

using testing::allTokens;
using testing::randomPieceSizes;
using testing::scriptOfTokensAndNearMisses;
using testing::streamInPieces;

// What the engine makes of `input` fed in `pieces`, checking what it holds back on the way.
std::string streamOutput(const std::string& input, const std::vector<std::size_t>& pieces) {
  const testing::StreamRun run = streamInPieces(input, pieces);
  EXPECT_FALSE(run.heldTooMuch);
  EXPECT_FALSE(run.heldALineFeed) << "a whole line was held back";
  return run.output;
}

// --- The table properties the single pass relies on ------------------------------------------

TEST(TableProperties, TokensAreWordsOfNameCharacters) {
  for (const std::string& token : allTokens()) {
    ASSERT_FALSE(token.empty());
    EXPECT_TRUE(isWordChar(token.front()) &&
                !std::isdigit(static_cast<unsigned char>(token.front())))
        << token << " must begin with a letter";
    EXPECT_TRUE(isWordChar(token.back())) << token;
    for (char byte : token) {
      EXPECT_TRUE(isWordChar(byte) || byte == '_' || byte == ':') << token;
    }
  }
  for (const SymbolTable* table : registry()) {
    for (char byte : table->typeName) EXPECT_TRUE(isWordChar(byte)) << table->typeName;
    for (const SymbolEntry& row : table->rows) {
      EXPECT_EQ(row.name.find(':'), std::string::npos) << row.name;
    }
  }
  for (const SymbolEntry& entry : globalScopeList()) {
    EXPECT_EQ(entry.name.find("::"), std::string::npos) << entry.name;
  }
}

// An inserted digit string is a word of its own; no token may hold a word made only of digits,
// or a replacement could complete a token for a later row.
TEST(TableProperties, ValuesAreDigitsAndNoTokenHasADigitOnlyWord) {
  for (const SymbolTable* table : registry()) {
    for (const SymbolEntry& row : table->rows) {
      ASSERT_FALSE(row.value.empty()) << row.name;
      EXPECT_TRUE(std::all_of(row.value.begin(), row.value.end(), [](char c) {
        return c >= '0' && c <= '9';
      })) << row.name;
    }
  }
  for (const SymbolEntry& entry : globalScopeList()) EXPECT_FALSE(entry.value.empty());
  for (const std::string& token : allTokens()) {
    std::size_t i = 0;
    while (i < token.size()) {
      std::size_t j = i;
      bool digitsOnly = true;
      while (j < token.size() && isWordChar(token[j])) {
        digitsOnly = digitsOnly && token[j] >= '0' && token[j] <= '9';
        ++j;
      }
      EXPECT_FALSE(j > i && digitsOnly) << token;
      i = j + 1;
    }
  }
}

// No two whole-word matches can overlap: otherwise the order of rows would decide the output.
// A token also never overlaps itself where a second occurrence could start, since the
// row-by-row search would skip that occurrence after rejecting the first.
TEST(TableProperties, NoTwoTokensCanMatchAtOverlappingPlaces) {
  const std::vector<std::string> tokens = allTokens();
  for (const std::string& a : tokens) {
    for (const std::string& b : tokens) {
      for (std::size_t d = 0; d < a.size(); ++d) {
        if (d == 0 && &a == &b) continue;
        if (d > 0 && isWordChar(a[d - 1])) continue;  // b cannot start here
        const std::size_t overlap = std::min(a.size() - d, b.size());
        if (a.compare(d, overlap, b, 0, overlap) != 0) continue;
        if (&a == &b) {
          ADD_FAILURE() << a << " overlaps itself at " << d;
          continue;
        }
        // Both whole words at once: the byte after each is not a word character.
        const bool aEndsClean = d + b.size() <= a.size() || !isWordChar(b[a.size() - d]);
        const bool bEndsClean = d + b.size() >= a.size() || !isWordChar(a[d + b.size()]);
        EXPECT_FALSE(aEndsClean && bEndsClean) << a << " and " << b << " at " << d;
      }
    }
  }
}

// --- Agreement with the line-by-line pass ----------------------------------------------------

struct Sample {
  const char* label;
  std::string input;
};

void PrintTo(const Sample& sample, std::ostream* out) {
  *out << sample.label;
}

class StreamAgreesWithReference : public ::testing::TestWithParam<Sample> {};

TEST_P(StreamAgreesWithReference, AtEveryPieceSize) {
  const std::string& input = GetParam().input;
  const std::string expected = substituteText(input);
  for (std::size_t piece : {1, 2, 3, 7, 16, 64, 4096}) {
    EXPECT_EQ(streamOutput(input, {piece}), expected) << "pieces of " << piece;
  }
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Samples, StreamAgreesWithReference,
    ::testing::Values(
        Sample{"Empty", ""}, Sample{"OnlyFeeds", "\n\n\n"}, Sample{"NoFinalFeed", "abc"},
        Sample{"WorkedExample",
               "INSERT INTO t VALUES (WQNOperationID::OPID_LICENSE_GENERALEXECUTE, "
               "WQNDBObjTypeID::objIPPool, WQNEnvStatusID::ENV_STAT_RUNNING);\n"},
        Sample{"Prefixes",
               "WQNOperationID::OPID_ENVIRONMENT_INTERACTION_MIGRATEP2V "
               "WQNOperationID::OPID_ENVIRONMENT_INTERACTION_MIGRATE_x "
               "WQNOperationID::OPID_ENVIRONMENT_INTERACTION_MIGRATEP\n"},
        Sample{"Placeholder",
               "xWQNGlobalScopeGUID WQNGlobalScopeGUID,WQNGlobalScopeGUIDs "
               "A::WQNGlobalScopeGUID WQNGlobalScopeGUID"},
        Sample{"Colons", ":::WQNRuleID:::applicableForAll::WQNRuleID::applicableForAll:: ::"},
        Sample{"Glued", "WQNRuleID::applicableForAllWQNRuleID::applicableForVEs ServerType::stDns"},
        Sample{"RawBytes", "\0WQNRuleID::applicableForAll\0\xffServerType::stWins\x80\r\n"s},
        Sample{"UnknownNames", "WQNOperationID::OPID_A_B_C_D_E_F_G_H WQNRuleID::applicableFor_"},
        Sample{"TokenAtEnd", "x WQNRuleID::applicableForHNs"}),
    [](const ::testing::TestParamInfo<Sample>& info) { return info.param.label; });

// Random scripts fed in pieces of random sizes.
TEST(StreamAgreesWithReference, OnRandomInputs) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 400; ++round) {
    const std::string input = scriptOfTokensAndNearMisses(random);
    ASSERT_EQ(streamOutput(input, randomPieceSizes(random)), substituteText(input))
        << "round " << round;
  }
}

// A line longer than any piece is streamed with a bounded hold-back.
TEST(StreamAgreesWithReference, OnALineMuchLongerThanAPiece) {
  std::string input;
  for (int i = 0; i < 20000; ++i) {
    input += i % 3 == 0 ? "WQNRuleID::applicableForVEs_" : i % 3 == 1 ? "aaaaaaaaaaaaaaaa" : "::";
  }
  EXPECT_EQ(streamOutput(input, {100, 4096, 13}), substituteText(input));
}

// Reads that fill all the room they are given make the block loop take larger blocks, with bytes
// held back across every boundary; smaller reads first make it read on with the room it has.
TEST(StreamAgreesWithReference, WhenReadsFillTheBuffer) {
  std::string input;
  for (int i = 0; i < 60000; ++i) {
    input += i % 3 == 0 ? "WQNRuleID::applicableForVEs_" : i % 3 == 1 ? "WQNGlobalScopeGUID" : "::";
  }
  const std::string expected = substituteText(input);
  EXPECT_EQ(streamOutput(input, {SIZE_MAX}), expected);
  EXPECT_EQ(streamOutput(input, {1, 5000, 70000, SIZE_MAX}), expected);
}

}  // namespace
}  // namespace wqnprep
