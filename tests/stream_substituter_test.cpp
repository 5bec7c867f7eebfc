// The streaming engine against the line-by-line pass that defines the output.
#include "symbols/stream_substituter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "stream_feeder.h"
#include "symbols/substitute_line.h"
#include "symbols/tables.h"
#include "text/word_chars.h"

namespace wqnprep {
namespace {

using testing::streamInPieces;

// What the engine makes of `input` fed in `pieces`, checking what it holds back on the way.
std::string streamOutput(const std::string& input, const std::vector<std::size_t>& pieces,
                         std::vector<std::string>* reports = nullptr) {
  // Byte columns, which the tests below look the reported bytes up by.
  testing::StreamRun run = streamInPieces(input, pieces, reports != nullptr, ColumnUnit::kByte);
  EXPECT_FALSE(run.heldTooMuch);
  EXPECT_FALSE(run.heldALineFeed) << "a whole line was held back";
  if (reports != nullptr) {
    // "LINE:COLUMN [unknown-enumerator] unknown enumerator 'NAME' of 'TYPE'..." as
    // "LINE:COLUMN TYPE::NAME".
    const std::string kind = " [unknown-enumerator] unknown enumerator '";
    for (const std::string& finding : run.findings) {
      const std::size_t at = finding.find(kind);
      if (at == std::string::npos) continue;
      const std::size_t nameEnd = finding.find("' of '", at + kind.size());
      const std::size_t typeEnd = finding.find('\'', nameEnd + 6);
      reports->push_back(finding.substr(0, at) + " " +
                         finding.substr(nameEnd + 6, typeEnd - nameEnd - 6) +
                         "::" + finding.substr(at + kind.size(), nameEnd - at - kind.size()));
    }
  }
  return run.output;
}

std::vector<std::string> allTokens() {
  std::vector<std::string> tokens;
  for (const SymbolTable* table : registry()) {
    for (const SymbolEntry& row : table->rows) tokens.push_back(qualifiedToken(*table, row));
  }
  for (const SymbolEntry& entry : globalScopeList()) tokens.push_back(entry.name);
  return tokens;
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

// A random script built from real tokens, near misses and boundary bytes.
std::string randomScript(std::mt19937& random) {
  static const std::vector<std::string> tokens = allTokens();
  static const std::vector<std::string> glue{" ", "\n", "\r\n", "_",    ":", "::", "(", ",",
                                             "x", "7",  "\0"s,  "\xe9", "'", "\t", "-", ""};
  auto pick = [&random](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
  };
  std::string input;
  const std::size_t parts = 1 + pick(60);
  for (std::size_t i = 0; i < parts; ++i) {
    std::string token = tokens[pick(tokens.size())];
    // Most tokens stay real; the rest become near misses.
    const std::size_t at = pick(token.size());
    switch (pick(8)) {
      case 0:
        token[at] = static_cast<char>(token[at] ^ 0x20);  // a letter's case
        break;
      case 1:
        token.resize(at + 1);  // cut short
        break;
      case 2:
        token = token.substr(0, at) + '_' + token.substr(at);  // split
        break;
      case 3:
        token += tokens[pick(tokens.size())];  // two glued together
        break;
      default:
        break;
    }
    input += glue[pick(glue.size())] + token + glue[pick(glue.size())];
  }
  return input;
}

std::vector<std::size_t> randomPieces(std::mt19937& random) {
  std::vector<std::size_t> pieces;
  for (int i = 0; i < 8; ++i) {
    const std::size_t most = random() % 2 == 0 ? 8 : 200;
    pieces.push_back(1 + random() % most);
  }
  return pieces;
}

// Random scripts fed in pieces of random sizes.
TEST(StreamAgreesWithReference, OnRandomInputs) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 400; ++round) {
    const std::string input = randomScript(random);
    ASSERT_EQ(streamOutput(input, randomPieces(random)), substituteText(input))
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

// --- Unknown enumerators --------------------------------------------------------------------

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
    std::vector<std::string> reports;
    streamOutput(input, {piece}, &reports);
    EXPECT_EQ(reports, expected) << "pieces of " << piece;
  }
}

TEST(UnknownEnumerators, PointAtTheTokenAndDoNotDependOnPieces) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    const std::string input = randomScript(random);
    std::vector<std::string> whole;
    streamOutput(input, {input.size() + 1}, &whole);
    std::vector<std::string> pieces;
    streamOutput(input, randomPieces(random), &pieces);
    ASSERT_EQ(pieces, whole) << "round " << round;

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

}  // namespace
}  // namespace wqnprep
