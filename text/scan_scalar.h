// The byte-at-a-time scans: the fallback for every processor, and the tails of the vector loops.
#pragma once

#include <cstddef>

#include "text/pair_scanner.h"
#include "text/word_chars.h"

namespace wqnprep {

// Runs of name bytes at least this long may hold a misspelt placeholder; shorter ones cannot.
inline constexpr std::ptrdiff_t kLongRun = 16;

}  // namespace wqnprep

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

// How many of the bytes in [p, end) are `byte`.
inline std::size_t countByte(const char* p, const char* end, char byte) {
  std::size_t count = 0;
  for (; p < end; ++p) count += *p == byte ? 1 : 0;
  return count;
}

// Where the findings pass may have something to look at, from `p` on: a position at or before
// every ':' and '.', every 'p' followed by '-', and every run of kLongRun name bytes or more (or
// the part of it after `p`), before `end`. Byte by byte, the findings pass looks at every byte
// itself, so `p` is as good an answer as any.
inline const char* findingCandidate(const char* p, const char* /*end*/) {
  return p;
}

}  // namespace wqnprep::scan_scalar
