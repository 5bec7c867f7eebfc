// The compiled-in tables against the list of every typed symbol in tests/data.
#include <gtest/gtest.h>

#include <cstddef>
#include <fstream>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/wqn_enums.h"
#include "symbols/substitute_line.h"
#include "symbols/tables.h"

namespace wqnprep {
namespace {

using TokenValue = std::pair<std::string, std::string>;

// Every qualified token with its value, in registry order.
std::vector<TokenValue> expectedTypedSymbols() {
  std::ifstream in(WQNPREP_TEST_DATA_DIR "/typed_symbols.tsv");
  std::vector<TokenValue> symbols;
  std::string line;
  while (std::getline(in, line)) {
    const auto tab = line.find('\t');
    symbols.emplace_back(line.substr(0, tab), line.substr(tab + 1));
  }
  return symbols;
}

// A typed table as the number of rows it holds under its type name.
using TableShape = std::pair<std::string, std::size_t>;

std::vector<TableShape> registryShape() {
  std::vector<TableShape> shape;
  for (const SymbolTable* table : registry())
    shape.emplace_back(table->typeName, table->rows.size());
  return shape;
}

// The platform's enumerations as their own list declares them: each type name with the number of
// enumerators it lists.
#define WQNPREP_COUNT_ENUMERATOR(name, value) +1
#define WQNPREP_LISTED_SHAPE(type, enumerators) \
  TableShape{#type, 0 enumerators(WQNPREP_COUNT_ENUMERATOR)},
std::vector<TableShape> listedShape() {
  return {WQN_ENUMERATIONS(WQNPREP_LISTED_SHAPE)};
}
#undef WQNPREP_LISTED_SHAPE
#undef WQNPREP_COUNT_ENUMERATOR

// The tables the known symbols fall into: each run of tokens qualified by the same type.
std::vector<TableShape> knownShape() {
  std::vector<TableShape> shape;
  for (const auto& [token, value] : expectedTypedSymbols()) {
    const std::string type = token.substr(0, token.find("::"));
    if (shape.empty() || shape.back().first != type) shape.emplace_back(type, 0);
    ++shape.back().second;
  }
  return shape;
}

// Whatever the order or a lost row, the registry disagrees with one of these: the enumerations
// it is built from, or the symbols written down on their own in tests/data.
TEST(Registry, HoldsTheTablesEachDescriptionGivesInOrder) {
  const struct {
    const char* description;
    std::vector<TableShape> shape;
  } cases[] = {{"the platform's enumerations", listedShape()}, {"typed_symbols.tsv", knownShape()}};
  for (const auto& c : cases) {
    ASSERT_FALSE(c.shape.empty()) << c.description;
    EXPECT_EQ(registryShape(), c.shape) << c.description;
  }
}

TEST(Registry, RowsAreExactlyTheKnownSymbolsInOrder) {
  std::vector<TokenValue> actual;
  for (const SymbolTable* table : registry()) {
    for (const SymbolEntry& row : table->rows) {
      actual.emplace_back(qualifiedToken(*table, row), row.value);
    }
  }
  const std::vector<TokenValue> expected = expectedTypedSymbols();
  ASSERT_FALSE(expected.empty()) << "typed_symbols.tsv was not read";
  EXPECT_EQ(actual, expected);
}

TEST(TypedSymbols, EveryTokenBecomesItsValue) {
  for (const auto& [token, value] : expectedTypedSymbols()) {
    std::string alone = token;
    substituteLine(alone);
    EXPECT_EQ(alone, value) << token;

    std::string inContext = "(" + token + ", x_" + token + "_y);";
    substituteLine(inContext);
    EXPECT_EQ(inContext, "(" + value + ", x_" + value + "_y);") << token;

    std::string glued = "a" + token + " " + token + "0";
    const std::string unchanged = glued;
    substituteLine(glued);
    EXPECT_EQ(glued, unchanged) << token;
  }
}

struct OperationCase {
  const char* token;
  const char* value;
};

void PrintTo(const OperationCase& c, std::ostream* out) {
  *out << c.token;
}

class OperationIds : public testing::TestWithParam<OperationCase> {};

TEST_P(OperationIds, KeepTheirOddValuesAndSpellings) {
  std::string line = GetParam().token;
  substituteLine(line);
  EXPECT_EQ(line, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Oddities, OperationIds,
    testing::Values(OperationCase{"WQNOperationID::OPID_WQAGENT_LOGON_CC", "2000008"},
                    OperationCase{"WQNOperationID::OPID_VDI_GENERALREAD", "132"},
                    OperationCase{"WQNOperationID::OPID_VDI_STATISTICS_GENERALREAD", "135"},
                    OperationCase{"WQNOperationID::OPID_VDI_BROKERS_GENERALREAD", "134"},
                    OperationCase{"WQNOperationID::OPID_VDI_CLIENT_VIEW", "180"},
                    OperationCase{"WQNOperationID::OPID_ENVIRONMENT_INTERACTION_MIGRATEP2V", "72"},
                    OperationCase{"WQNOperationID::OPID_ENVIRONMENT_INTERACTION_MIGRATE", "71"},
                    OperationCase{"WQNOperationID::OPID_VERTUAL_SERVER_REQUEST_GET", "128"},
                    OperationCase{"WQNOperationID::OPID_VIRTUAL_SERVER_REQUEST_GET",
                                  "WQNOperationID::OPID_VIRTUAL_SERVER_REQUEST_GET"},
                    OperationCase{"WQNOperationID::OPID_SAMPLECONFIGURAION_GENERALWRITE", "87"},
                    OperationCase{"WQNOperationID::OPID_SAMPLECONFIGURATION_GENERALWRITE",
                                  "WQNOperationID::OPID_SAMPLECONFIGURATION_GENERALWRITE"}));

}  // namespace
}  // namespace wqnprep
