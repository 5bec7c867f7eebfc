// Sixteen byte lanes in an SSE2 register, which every x86-64 processor has, for the scans of
// text/scan_generic.h.
#pragma once

#include <emmintrin.h>

#include <cstddef>

namespace wqnprep::scan_sse2 {

struct Bytes {
  static constexpr std::ptrdiff_t kWidth = 16;
  static constexpr int kBitsPerLane = 1;

  __m128i lanes;

  static Bytes load(const char* p) {
    return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))};
  }
  static Bytes loadAligned(const char* p) {
    return {_mm_load_si128(reinterpret_cast<const __m128i*>(p))};
  }
  static Bytes repeat(char byte) { return {_mm_set1_epi8(byte)}; }

  friend Bytes operator==(Bytes a, Bytes b) { return {_mm_cmpeq_epi8(a.lanes, b.lanes)}; }
  friend Bytes operator&(Bytes a, Bytes b) { return {_mm_and_si128(a.lanes, b.lanes)}; }
  friend Bytes operator|(Bytes a, Bytes b) { return {_mm_or_si128(a.lanes, b.lanes)}; }
  // Lane by lane, wrapping around.
  friend Bytes operator-(Bytes a, Bytes b) { return {_mm_sub_epi8(a.lanes, b.lanes)}; }

  // SSE2 compares are signed: bytes of 128 and above are negative and fall below a range of
  // ASCII bytes, as an unsigned compare has them above it.
  template <char First, char Last>
  Bytes within() const {
    static_assert(0 < First && First <= Last && Last < 127, "a range the signed compares keep");
    return {_mm_and_si128(_mm_cmpgt_epi8(lanes, _mm_set1_epi8(static_cast<char>(First - 1))),
                          _mm_cmplt_epi8(lanes, _mm_set1_epi8(static_cast<char>(Last + 1))))};
  }

  unsigned mask() const { return static_cast<unsigned>(_mm_movemask_epi8(lanes)); }
  // The sum of the lanes, each unsigned.
  unsigned laneSum() const {
    const __m128i halves = _mm_sad_epu8(lanes, _mm_setzero_si128());
    return static_cast<unsigned>(_mm_cvtsi128_si32(halves) +
                                 _mm_cvtsi128_si32(_mm_unpackhi_epi64(halves, halves)));
  }
};

}  // namespace wqnprep::scan_sse2
