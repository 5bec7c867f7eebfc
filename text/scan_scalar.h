// The byte-at-a-time scans: the fallback for every processor, and the tails of the vector loops.
#pragma once

#include <cstddef>

#include "text/pair_scanner.h"
#include "text/word_chars.h"

namespace wqnprep::scan_scalar {

// The end of the run of name bytes that starts at `p`, at most `limit`.
inline const char* nameRunEnd(const char* p, const char* limit) {
  while (p < limit && hasClass(*p, kNameByte)) ++p;
  return p;
}

// The first position in [p, last) where one of the patterns starts (reading up to `last`
// itself), or nullptr.
inline const char* findPair(const PairPatterns& patterns, const char* p, const char* last) {
  for (; p < last; ++p) {
    for (std::size_t i = 0; i < patterns.count; ++i) {
      if (p[0] == patterns.pairs[i][0] && p[1] == patterns.pairs[i][1]) return p;
    }
  }
  return nullptr;
}

}  // namespace wqnprep::scan_scalar
