// Fast scans over the input: runs of name bytes and starts of byte pairs, sixteen bytes at a
// time where the processor can.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "text/word_chars.h"

namespace wqnprep {
// The end of the run of name bytes (ASCII letters, digits, '_') that starts at `p`, at most
// `limit`.
inline const char* nameRunEnd(const char* p, const char* limit) {
#if defined(__SSE2__)
  const __m128i beforeDigits = _mm_set1_epi8('0' - 1);
  const __m128i afterDigits = _mm_set1_epi8('9' + 1);
  const __m128i caseBit = _mm_set1_epi8(0x20);
  const __m128i beforeLetters = _mm_set1_epi8('a' - 1);
  const __m128i afterLetters = _mm_set1_epi8('z' + 1);
  const __m128i underscore = _mm_set1_epi8('_');
  while (limit - p >= 16) {
    // Signed compares: bytes of 128 and above are negative and fall outside every range.
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i folded = _mm_or_si128(bytes, caseBit);  // upper case onto lower case
    const __m128i digit =
        _mm_and_si128(_mm_cmpgt_epi8(bytes, beforeDigits), _mm_cmplt_epi8(bytes, afterDigits));
    const __m128i letter =
        _mm_and_si128(_mm_cmpgt_epi8(folded, beforeLetters), _mm_cmplt_epi8(folded, afterLetters));
    const __m128i name =
        _mm_or_si128(_mm_or_si128(digit, letter), _mm_cmpeq_epi8(bytes, underscore));
    const unsigned stop = ~static_cast<unsigned>(_mm_movemask_epi8(name)) & 0xFFFFU;
    if (stop != 0) return p + __builtin_ctz(stop);
    p += 16;
  }
#endif
  while (p < limit && hasClass(*p, kNameByte)) ++p;
  return p;
}

using BytePair = std::array<char, 2>;

// Finds where any of a few two-byte patterns starts. This is the scan over every input byte, so
// it looks at sixteen positions at a time where the processor can.
class PairScanner {
 public:
  explicit PairScanner(std::vector<BytePair> pairs) : pairs_(std::move(pairs)) {
#if defined(__SSE2__)
    vectorCount_ = pairs_.size() <= kMaxVectorPairs ? pairs_.size() : 0;
    for (std::size_t i = 0; i < vectorCount_; ++i) {
      firsts_[i] = _mm_set1_epi8(pairs_[i][0]);
      seconds_[i] = _mm_set1_epi8(pairs_[i][1]);
    }
#endif
  }

  // The first position in [p, end - 1) where a pattern starts, or nullptr.
  const char* find(const char* p, const char* end) const {
    if (end - p < 2) return nullptr;
    const char* const last = end - 1;  // a pattern needs the byte after it
#if defined(__SSE2__)
    const std::size_t count = vectorCount_;
    while (count > 0 && last - p >= 16) {
      const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
      __m128i hits =
          _mm_and_si128(_mm_cmpeq_epi8(first, firsts_[0]), _mm_cmpeq_epi8(second, seconds_[0]));
      for (std::size_t i = 1; i < count; ++i) {
        hits = _mm_or_si128(hits, _mm_and_si128(_mm_cmpeq_epi8(first, firsts_[i]),
                                                _mm_cmpeq_epi8(second, seconds_[i])));
      }
      if (const int mask = _mm_movemask_epi8(hits)) {
        return p + __builtin_ctz(static_cast<unsigned>(mask));
      }
      p += 16;
    }
#endif
    for (; p < last; ++p) {
      for (const BytePair& pair : pairs_) {
        if (p[0] == pair[0] && p[1] == pair[1]) return p;
      }
    }
    return nullptr;
  }

 private:
  std::vector<BytePair> pairs_;
#if defined(__SSE2__)
  static constexpr std::size_t kMaxVectorPairs = 4;
  std::size_t vectorCount_ = 0;  // 0 when there are too many pairs for the vector loop
  __m128i firsts_[kMaxVectorPairs];
  __m128i seconds_[kMaxVectorPairs];
#endif
};

}  // namespace wqnprep
