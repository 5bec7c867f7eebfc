// The compiled-in tables against the list of every typed symbol in tests/data.
#include <gtest/gtest.h>

#include <fstream>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

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

TEST(Registry, HoldsTheSixTypedTablesInOrder) {
  const std::vector<std::pair<std::string, std::size_t>> expected{
      {"WQNOperationID", 181}, {"NetworkSettingType", 4}, {"ServerType", 2},
      {"WQNDBObjTypeID", 11},  {"WQNEnvStatusID", 8},     {"WQNRuleID", 3}};
  std::vector<std::pair<std::string, std::size_t>> actual;
  for (const SymbolTable* table : registry())
    actual.emplace_back(table->typeName, table->rowCount());
  EXPECT_EQ(actual, expected);
}

TEST(Registry, RowsAreExactlyTheKnownSymbolsInOrder) {
  std::vector<TokenValue> actual;
  for (const SymbolTable* table : registry()) {
    for (const SymbolEntry& row : table->rows) {
      actual.emplace_back(qualifiedToken(*table, row), row.value);
    }
  }
  const std::vector<TokenValue> expected = expectedTypedSymbols();
  ASSERT_EQ(expected.size(), 209u);
  EXPECT_EQ(actual, expected);
}

TEST(SubstituteLine, TurnsEveryTypedTokenIntoItsValue) {
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
