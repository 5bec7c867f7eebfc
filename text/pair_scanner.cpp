#include "text/pair_scanner.h"

#include <stdexcept>
#include <string>

#include "text/scan_paths.h"

namespace wqnprep {

PairPatterns::PairPatterns(const std::vector<BytePair>& wanted) : count(wanted.size()) {
  if (wanted.size() > kVectorPairLimit) {
    // A silent fallback to a slower scan would go unnoticed; a table change that needs more
    // candidate pairs must say so where it is made.
    throw std::length_error("the engine needs " + std::to_string(wanted.size()) +
                            " candidate byte pairs, but the scans look for at most " +
                            std::to_string(kVectorPairLimit) +
                            ": raise kVectorPairLimit in text/pair_scanner.h");
  }
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    pairs[i] = wanted[i];
    firsts[i].fill(wanted[i][0]);
    seconds[i].fill(wanted[i][1]);
  }
}

PairScanner::PairScanner(const std::vector<BytePair>& pairs)
    : patterns_(pairs), wide_(pairScanPath() == ScanPath::kAvx2) {}

}  // namespace wqnprep
