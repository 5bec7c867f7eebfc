#include "random_scripts.h"

#include "symbols/tables.h"

namespace wqnprep::testing {

using namespace std::string_literals;

std::vector<std::string> allTokens() {
  std::vector<std::string> tokens;
  for (const SymbolTable* table : registry()) {
    for (const SymbolEntry& row : table->rows) tokens.push_back(qualifiedToken(*table, row));
  }
  for (const SymbolEntry& entry : globalScopeList()) tokens.push_back(entry.name);
  return tokens;
}

std::string scriptOfTokensAndNearMisses(std::mt19937& random) {
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

std::vector<std::size_t> randomPieceSizes(std::mt19937& random) {
  std::vector<std::size_t> pieces;
  for (int i = 0; i < 8; ++i) {
    const std::size_t most = random() % 2 == 0 ? 8 : 200;
    pieces.push_back(1 + random() % most);
  }
  return pieces;
}

}  // namespace wqnprep::testing
