// Fast scans over runs of bytes of one class, eight bytes at a time.
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
namespace swar {

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighs = 0x8080808080808080ULL;

// 0x80 in each byte of `x` (all below 0x80) that is at least `c` (at most 0x80).
constexpr std::uint64_t atLeast(std::uint64_t x, unsigned char c) {
  return ((x | kHighs) - kOnes * c) & kHighs;
}

// 0x80 in each byte of `word` that is a name byte: an ASCII letter, digit or '_'.
constexpr std::uint64_t nameBytes(std::uint64_t word) {
  const std::uint64_t ascii = ~word & kHighs;
  const std::uint64_t x = word & ~kHighs;
  const std::uint64_t digit = atLeast(x, '0') & ~atLeast(x, '9' + 1);
  const std::uint64_t upper = atLeast(x, 'A') & ~atLeast(x, 'Z' + 1);
  const std::uint64_t lower = atLeast(x, 'a') & ~atLeast(x, 'z' + 1);
  const std::uint64_t underscore = ~(((x ^ (kOnes * '_')) | kHighs) - kOnes) & kHighs;
  return (digit | upper | lower | underscore) & ascii;
}

inline std::uint64_t load(const char* bytes) {
  std::uint64_t word = 0;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

}  // namespace swar

// The end of the run of name bytes (letters, digits, '_') that starts at `p`, at most `limit`.
inline const char* nameRunEnd(const char* p, const char* limit) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  while (limit - p >= 8) {
    const std::uint64_t stop = ~swar::nameBytes(swar::load(p)) & swar::kHighs;
    if (stop != 0) return p + __builtin_ctzll(stop) / 8;
    p += 8;
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
