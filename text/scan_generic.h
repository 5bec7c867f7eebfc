// The vector scans, written once over the byte lanes each instruction set supplies
// (text/scan_sse2.h, text/scan_neon.h, text/scan_avx2.cpp). A type of byte lanes has:
//   static constexpr std::ptrdiff_t kWidth;    bytes in one vector
//   static constexpr int kBitsPerLane;         bits that mask() gives each lane
//   static Bytes load(const char* p);          kWidth bytes from p
//   static Bytes loadAligned(const char* p);   the same, p aligned to kWidth
//   static Bytes repeat(char byte);            byte in every lane
//   a == b, a & b, a | b                       lanes of all ones where equal, where both, either
//   template <char First, char Last>
//   Bytes within() const;                      all ones where First <= lane <= Last, unsigned
//   mask() const;                              an unsigned integer, kBitsPerLane bits per lane
//                                              (all ones or none), the first lane lowest
// findPair needs no repeat or within. The byte loops of text/scan_scalar.h scan the tails. A new
// instruction set is such a type in a header of its own, chosen in text/scan_paths.h and
// text/byte_runs.h.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <limits>
#include <type_traits>
#include <utility>

#include "text/name_byte_rule.h"
#include "text/pair_scanner.h"
#include "text/scan_scalar.h"

// Always inlined into the caller, so that they become code of the caller's instruction set: the
// AVX2 scan calls them from a function compiled for AVX2, while they are declared baseline code.
#if defined(__GNUC__)
#define WQNPREP_SCAN_INLINE [[gnu::always_inline]] inline
#elif defined(_MSC_VER)
#define WQNPREP_SCAN_INLINE __forceinline
#else
#define WQNPREP_SCAN_INLINE inline
#endif

namespace wqnprep::scan_generic {

template <typename Bytes>
using Mask = decltype(std::declval<const Bytes&>().mask());

// mask() with every lane set.
template <typename Bytes>
inline constexpr Mask<Bytes> kAllLanes = [] {
  // At least unsigned int, so that ~ keeps the type.
  static_assert(std::is_unsigned_v<Mask<Bytes>> && sizeof(Mask<Bytes>) >= sizeof(unsigned));
  constexpr int bits = Bytes::kWidth * Bytes::kBitsPerLane;
  static_assert(bits <= std::numeric_limits<Mask<Bytes>>::digits);
  if constexpr (bits == std::numeric_limits<Mask<Bytes>>::digits) {
    return static_cast<Mask<Bytes>>(~Mask<Bytes>{0});
  } else {
    return static_cast<Mask<Bytes>>((Mask<Bytes>{1} << bits) - 1);
  }
}();

// The first lane set in `mask`, which is not zero.
template <typename Bytes>
WQNPREP_SCAN_INLINE std::ptrdiff_t firstLane(Mask<Bytes> mask) {
  return std::countr_zero(mask) / Bytes::kBitsPerLane;
}

// A lane of all ones for every name byte of `bytes`.
template <typename Bytes>
WQNPREP_SCAN_INLINE Bytes nameBytes(const Bytes& bytes) {
  using namespace name_byte_rule;
  const Bytes folded = bytes | Bytes::repeat(kCaseBit);
  return (bytes.template within<kDigitFirst, kDigitLast>() |
          folded.template within<kLetterFirst, kLetterLast>()) |
         (bytes == Bytes::repeat(kOther));
}

// As scan_scalar::nameRunEnd.
template <typename Bytes>
WQNPREP_SCAN_INLINE const char* nameRunEnd(const char* p, const char* limit) {
  while (limit - p >= Bytes::kWidth) {
    const Mask<Bytes> stop = ~nameBytes(Bytes::load(p)).mask() & kAllLanes<Bytes>;
    if (stop != 0) return p + firstLane<Bytes>(stop);
    p += Bytes::kWidth;
  }
  return scan_scalar::nameRunEnd(p, limit);
}

// Hits of pattern `i` at the kWidth positions whose bytes are `first` and the next `second`.
template <typename Bytes>
WQNPREP_SCAN_INLINE Bytes pairHits(const PairPatterns& patterns, std::size_t i, const Bytes& first,
                                   const Bytes& second) {
  static_assert(Bytes::kWidth <= PairPatterns::kMaxWidth, "raise PairPatterns::kMaxWidth");
  return (first == Bytes::loadAligned(patterns.firsts[i].data())) &
         (second == Bytes::loadAligned(patterns.seconds[i].data()));
}

// As scan_scalar::findPair. What is left of the range when fewer than kWidth positions remain
// goes to the Narrower lanes in turn, then to the byte loop.
template <typename Bytes, typename... Narrower>
WQNPREP_SCAN_INLINE const char* findPair(const PairPatterns& patterns, const char* p,
                                         const char* last) {
  const std::size_t count = patterns.count;
  while (count > 0 && last - p >= Bytes::kWidth) {
    const Bytes first = Bytes::load(p);
    const Bytes second = Bytes::load(p + 1);
    Bytes hits = pairHits(patterns, 0, first, second);
    for (std::size_t i = 1; i < count; ++i) hits = hits | pairHits(patterns, i, first, second);
    if (const Mask<Bytes> mask = hits.mask()) return p + firstLane<Bytes>(mask);
    p += Bytes::kWidth;
  }
  if constexpr (sizeof...(Narrower) > 0) {
    return findPair<Narrower...>(patterns, p, last);
  } else {
    return scan_scalar::findPair(patterns, p, last);
  }
}

// As scan_scalar::countByte.
template <typename Bytes>
WQNPREP_SCAN_INLINE std::size_t countByte(const char* p, const char* end, char byte) {
  const Bytes wanted = Bytes::repeat(byte);
  std::size_t count = 0;
  // Each lane counts the bytes found in it, a compare's all-ones lane being -1, for as many
  // blocks as a lane can count without a branch that depends on the text; then the lanes are
  // added up.
  constexpr std::ptrdiff_t kMostBlocks = 255;
  while (end - p >= Bytes::kWidth) {
    const char* const stop = p + std::min(kMostBlocks, (end - p) / Bytes::kWidth) * Bytes::kWidth;
    Bytes counts = Bytes::repeat(0);
    for (; p != stop; p += Bytes::kWidth) counts = counts - (Bytes::load(p) == wanted);
    count += counts.laneSum();
  }
  return count + scan_scalar::countByte(p, end, byte);
}

// As scan_scalar::findingCandidate, kWidth bytes at a time: the start of the first block that a
// run of at least kLongRun name bytes (counted from `p`) reaches, else the first ':', '.' or 'p'
// before a '-' in the block; or where fewer than kWidth + 1 bytes are left before `end`.
template <typename Bytes>
WQNPREP_SCAN_INLINE const char* findingCandidate(const char* p, const char* end) {
  static_assert(Bytes::kWidth <= kLongRun, "a longer run could lie inside one block unseen");
  constexpr int kLaneBits = static_cast<int>(Bytes::kWidth) * Bytes::kBitsPerLane;
  constexpr int kUnusedBits = std::numeric_limits<Mask<Bytes>>::digits - kLaneBits;
  std::ptrdiff_t run = 0;  // name bytes right before p, from the first one counted
  while (end - p > Bytes::kWidth) {
    const Bytes bytes = Bytes::load(p);
    const Bytes marks =
        (bytes == Bytes::repeat(':')) | (bytes == Bytes::repeat('.')) |
        ((bytes == Bytes::repeat('p')) & (Bytes::load(p + 1) == Bytes::repeat('-')));
    const Mask<Bytes> names = nameBytes(bytes).mask();
    const std::ptrdiff_t leading = std::countr_one(names) / Bytes::kBitsPerLane;
    if (run + leading >= kLongRun) return p;
    if (const Mask<Bytes> marked = marks.mask()) return p + firstLane<Bytes>(marked);
    run =
        names == kAllLanes<Bytes>
            ? run + Bytes::kWidth
            : std::countl_one(static_cast<Mask<Bytes>>(names << kUnusedBits)) / Bytes::kBitsPerLane;
    p += Bytes::kWidth;
  }
  return p;
}

}  // namespace wqnprep::scan_generic
