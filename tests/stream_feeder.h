// Drives the streaming engine the way the program does, over a text held in memory; shared by the
// unit tests and the fuzzer.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace wqnprep::testing {

struct StreamRun {
  std::string output;
  std::vector<std::string> unknown;  // each unknown enumerator as "LINE:COLUMN TYPE::NAME"
  bool heldTooMuch = false;          // more than heldBackLimit() bytes were left unconsumed
  bool heldALineFeed = false;        // an unconsumed rest held a line feed
};

// Feeds `input` to a fresh engine in pieces of the given sizes (cycled, each at least 1), as the
// program does: unconsumed bytes go again at the front of the next piece.
StreamRun streamInPieces(const std::string& input, const std::vector<std::size_t>& pieces,
                         bool reportUnknown = false);

}  // namespace wqnprep::testing
