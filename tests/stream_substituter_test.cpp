// The streaming engine against the line-by-line pass that defines the output.
#include "symbols/stream_substituter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "symbols/substitute_line.h"
#include "symbols/tables.h"
#include "text/word_chars.h"

namespace wqnprep {
namespace {

// What the line-by-line pass makes of a whole input.
std::string referenceOutput(const std::string& input) {
  std::string output;
  std::string::size_type begin = 0;
  while (begin < input.size()) {
    std::string::size_type end = input.find('\n', begin);
    if (end == std::string::npos) end = input.size();
    std::string line = input.substr(begin, end - begin);
    substituteLine(line);
    output += line;
    output += '\n';
    begin = end + 1;
  }
  return output;
}

// Feeds `input` to a fresh engine in pieces of the given sizes (cycled), as the program does:
// unconsumed bytes go again at the front of the next piece.
std::string streamOutput(const std::string& input, const std::vector<std::size_t>& pieces) {
  StreamSubstituter engine;
  std::string output;
  std::string pending;
  std::size_t next = 0;
  std::size_t piece = 0;
  for (;;) {
    const std::size_t take = std::min(pieces[piece++ % pieces.size()], input.size() - next);
    pending.append(input, next, take);
    next += take;
    const bool atEnd = take == 0;
    std::vector<char> out(engine.outputCapacity(pending.size()));
    char* cursor = out.data();
    const std::size_t consumed = engine.substitute(pending.data(), pending.size(), atEnd, cursor);
    output.append(out.data(), cursor);
    pending.erase(0, consumed);
    EXPECT_LE(pending.size(), engine.heldBackLimit());
    EXPECT_EQ(pending.find('\n'), std::string::npos) << "a whole line was held back";
    if (atEnd) {
      EXPECT_TRUE(pending.empty());
      return output;
    }
  }
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

class StreamAgreesWithReference : public testing::TestWithParam<Sample> {};

TEST_P(StreamAgreesWithReference, AtEveryPieceSize) {
  const std::string& input = GetParam().input;
  const std::string expected = referenceOutput(input);
  for (std::size_t piece : {1, 2, 3, 7, 16, 64, 4096}) {
    EXPECT_EQ(streamOutput(input, {piece}), expected) << "pieces of " << piece;
  }
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Samples, StreamAgreesWithReference,
    testing::Values(
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
    [](const testing::TestParamInfo<Sample>& info) { return info.param.label; });

// Random scripts built from real tokens, near misses and boundary bytes, fed in pieces of
// random sizes.
TEST(StreamAgreesWithReference, OnRandomInputs) {
  const std::vector<std::string> tokens = allTokens();
  const std::vector<std::string> glue{" ", "\n", "\r\n", "_",    ":", "::", "(", ",",
                                      "x", "7",  "\0"s,  "\xe9", "'", "\t", "-", ""};
  std::mt19937 random(20261208);
  auto pick = [&random](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
  };
  for (int round = 0; round < 400; ++round) {
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
    std::vector<std::size_t> pieces;
    for (int i = 0; i < 8; ++i) pieces.push_back(1 + pick(pick(2) == 0 ? 8 : 200));
    ASSERT_EQ(streamOutput(input, pieces), referenceOutput(input)) << "round " << round;
  }
}

// A line longer than any piece is streamed with a bounded hold-back.
TEST(StreamAgreesWithReference, OnALineMuchLongerThanAPiece) {
  std::string input;
  for (int i = 0; i < 20000; ++i) {
    input += i % 3 == 0 ? "WQNRuleID::applicableForVEs_" : i % 3 == 1 ? "aaaaaaaaaaaaaaaa" : "::";
  }
  EXPECT_EQ(streamOutput(input, {100, 4096, 13}), referenceOutput(input));
}

}  // namespace
}  // namespace wqnprep
