// The scans sixteen bytes at a time with SSE2, which every x86-64 processor has.
#pragma once

#include <emmintrin.h>

#include <bit>
#include <cstddef>

#include "text/name_byte_rule.h"
#include "text/pair_scanner.h"
#include "text/scan_scalar.h"

namespace wqnprep::scan_sse2 {

inline constexpr std::ptrdiff_t kWidth = 16;

// A lane of all ones for every name byte of `bytes`. SSE2 compares are signed: bytes of 128 and
// above are negative and fall below every range, as the rule has them outside.
inline __m128i nameBytes(__m128i bytes) {
  using namespace name_byte_rule;
  const __m128i folded = _mm_or_si128(bytes, _mm_set1_epi8(kCaseBit));
  const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8(kDigitFirst - 1)),
                                      _mm_cmplt_epi8(bytes, _mm_set1_epi8(kDigitLast + 1)));
  const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(folded, _mm_set1_epi8(kLetterFirst - 1)),
                                       _mm_cmplt_epi8(folded, _mm_set1_epi8(kLetterLast + 1)));
  return _mm_or_si128(_mm_or_si128(digit, letter), _mm_cmpeq_epi8(bytes, _mm_set1_epi8(kOther)));
}

inline const char* nameRunEnd(const char* p, const char* limit) {
  while (limit - p >= kWidth) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const unsigned stop = ~static_cast<unsigned>(_mm_movemask_epi8(nameBytes(bytes))) & 0xFFFFU;
    if (stop != 0) return p + std::countr_zero(stop);
    p += kWidth;
  }
  return scan_scalar::nameRunEnd(p, limit);
}

inline __m128i broadcast(const std::array<char, PairPatterns::kMaxWidth>& bytes) {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(bytes.data()));
}

// Hits of pattern `i` at the sixteen positions whose bytes are `first` and the next `second`.
inline __m128i pairHits(const PairPatterns& patterns, std::size_t i, __m128i first,
                        __m128i second) {
  return _mm_and_si128(_mm_cmpeq_epi8(first, broadcast(patterns.firsts[i])),
                       _mm_cmpeq_epi8(second, broadcast(patterns.seconds[i])));
}

inline const char* findPair(const PairPatterns& patterns, const char* p, const char* last) {
  const std::size_t count = patterns.count;
  while (count > 0 && last - p >= kWidth) {
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
    __m128i hits = pairHits(patterns, 0, first, second);
    for (std::size_t i = 1; i < count; ++i) {
      hits = _mm_or_si128(hits, pairHits(patterns, i, first, second));
    }
    if (const int mask = _mm_movemask_epi8(hits)) {
      return p + std::countr_zero(static_cast<unsigned>(mask));
    }
    p += kWidth;
  }
  return scan_scalar::findPair(patterns, p, last);
}

}  // namespace wqnprep::scan_sse2
