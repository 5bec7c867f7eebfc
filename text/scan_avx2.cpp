#include "text/scan_avx2.h"

#include <immintrin.h>

#include <bit>
#include <cstddef>

#include "text/scan_generic.h"
#include "text/scan_sse2.h"

namespace wqnprep::scan_avx2 {
namespace {

constexpr std::ptrdiff_t kWidth = 32;

// Only the functions marked so are compiled for AVX2: inline functions this file shares with
// others stay baseline code, whichever copy the linker keeps.
#define WQNPREP_AVX2 __attribute__((target("avx2")))

WQNPREP_AVX2 inline __m256i pairHits(const PairPatterns& patterns, std::size_t i, __m256i first,
                                     __m256i second) {
  const auto* firsts = reinterpret_cast<const __m256i*>(patterns.firsts[i].data());
  const auto* seconds = reinterpret_cast<const __m256i*>(patterns.seconds[i].data());
  return _mm256_and_si256(_mm256_cmpeq_epi8(first, _mm256_load_si256(firsts)),
                          _mm256_cmpeq_epi8(second, _mm256_load_si256(seconds)));
}

}  // namespace

bool runsHere() {
  // Also checks that the operating system saves the wide registers.
  return __builtin_cpu_supports("avx2");
}

WQNPREP_AVX2 const char* findPair(const PairPatterns& patterns, const char* p, const char* last) {
  const std::size_t count = patterns.count;
  while (count > 0 && last - p >= kWidth) {
    const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i second = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 1));
    __m256i hits = pairHits(patterns, 0, first, second);
    for (std::size_t i = 1; i < count; ++i) {
      hits = _mm256_or_si256(hits, pairHits(patterns, i, first, second));
    }
    if (const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(hits))) {
      return p + std::countr_zero(mask);
    }
    p += kWidth;
  }
  return scan_generic::findPair<scan_sse2::Bytes>(patterns, p, last);
}

}  // namespace wqnprep::scan_avx2
