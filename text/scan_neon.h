// The scans sixteen bytes at a time with NEON, which every 64-bit ARM processor has.
#pragma once

#include <arm_neon.h>

#include <bit>
#include <cstddef>
#include <cstdint>

#include "text/name_byte_rule.h"
#include "text/pair_scanner.h"
#include "text/scan_scalar.h"

namespace wqnprep::scan_neon {

inline constexpr std::ptrdiff_t kWidth = 16;

// NEON has no byte mask move: narrowing each 16-bit lane by four bits leaves four bits per byte
// lane in 64 bits, so a byte's position is the bit position divided by four.
inline std::uint64_t nibbleMask(uint8x16_t lanes) {
  return vget_lane_u64(vreinterpret_u64_u8(vshrn_n_u16(vreinterpretq_u16_u8(lanes), 4)), 0);
}

inline const char* at(const char* p, std::uint64_t mask) {
  return p + std::countr_zero(mask) / 4;
}

// A lane of all ones for every name byte of `bytes` (unsigned compares, as the rule has them).
inline uint8x16_t nameBytes(uint8x16_t bytes) {
  using namespace name_byte_rule;
  const uint8x16_t folded = vorrq_u8(bytes, vdupq_n_u8(kCaseBit));
  const uint8x16_t digit =
      vandq_u8(vcgeq_u8(bytes, vdupq_n_u8(kDigitFirst)), vcleq_u8(bytes, vdupq_n_u8(kDigitLast)));
  const uint8x16_t letter = vandq_u8(vcgeq_u8(folded, vdupq_n_u8(kLetterFirst)),
                                     vcleq_u8(folded, vdupq_n_u8(kLetterLast)));
  return vorrq_u8(vorrq_u8(digit, letter), vceqq_u8(bytes, vdupq_n_u8(kOther)));
}

inline uint8x16_t load(const char* p) {
  return vld1q_u8(reinterpret_cast<const std::uint8_t*>(p));
}

inline const char* nameRunEnd(const char* p, const char* limit) {
  while (limit - p >= kWidth) {
    const std::uint64_t stop = ~nibbleMask(nameBytes(load(p)));
    // cppcheck cannot see into the intrinsics: the mask is all ones for a run of name bytes.
    // cppcheck-suppress knownConditionTrueFalse
    if (stop != 0) return at(p, stop);
    p += kWidth;
  }
  return scan_scalar::nameRunEnd(p, limit);
}

inline uint8x16_t pairHits(const PairPatterns& patterns, std::size_t i, uint8x16_t first,
                           uint8x16_t second) {
  return vandq_u8(vceqq_u8(first, load(patterns.firsts[i].data())),
                  vceqq_u8(second, load(patterns.seconds[i].data())));
}

inline const char* findPair(const PairPatterns& patterns, const char* p, const char* last) {
  const std::size_t count = patterns.count;
  while (count > 0 && last - p >= kWidth) {
    const uint8x16_t first = load(p);
    const uint8x16_t second = load(p + 1);
    uint8x16_t hits = pairHits(patterns, 0, first, second);
    for (std::size_t i = 1; i < count; ++i)
      hits = vorrq_u8(hits, pairHits(patterns, i, first, second));
    if (const std::uint64_t mask = nibbleMask(hits)) return at(p, mask);
    p += kWidth;
  }
  return scan_scalar::findPair(patterns, p, last);
}

}  // namespace wqnprep::scan_neon
