// Random scripts of real tokens, near misses of them and the bytes around tokens, and random read
// sizes: the tests run the engine and the findings pass over them, whole and in pieces.
#pragma once

#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace wqnprep::testing {

// Every qualified token of the registry, in its order, then the placeholders.
std::vector<std::string> allTokens();
// Up to 60 tokens, most real, the rest with a letter's case changed, cut short, split by an
// underscore or glued to another, each between two boundary bytes.
std::string scriptOfTokensAndNearMisses(std::mt19937& random);
// Eight read sizes, from 1 to 8 or to 200 bytes.
std::vector<std::size_t> randomPieceSizes(std::mt19937& random);

}  // namespace wqnprep::testing
