#include "text/scan_avx2.h"

#include <immintrin.h>

#include <cstddef>

#include "text/scan_generic.h"
#include "text/scan_sse2.h"

namespace wqnprep::scan_avx2 {
namespace {

// Only the functions marked so are compiled for AVX2: inline functions this file shares with
// others stay baseline code, whichever copy the linker keeps. The shared scans are always
// inlined, so inside findPair below they are AVX2 code.
#define WQNPREP_AVX2 __attribute__((target("avx2")))

// Thirty-two byte lanes in an AVX2 register: what findPair uses.
struct Bytes {
  static constexpr std::ptrdiff_t kWidth = 32;
  static constexpr int kBitsPerLane = 1;

  __m256i lanes;

  WQNPREP_AVX2 static Bytes load(const char* p) {
    return {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))};
  }
  WQNPREP_AVX2 static Bytes loadAligned(const char* p) {
    return {_mm256_load_si256(reinterpret_cast<const __m256i*>(p))};
  }

  WQNPREP_AVX2 friend Bytes operator==(Bytes a, Bytes b) {
    return {_mm256_cmpeq_epi8(a.lanes, b.lanes)};
  }
  WQNPREP_AVX2 friend Bytes operator&(Bytes a, Bytes b) {
    return {_mm256_and_si256(a.lanes, b.lanes)};
  }
  WQNPREP_AVX2 friend Bytes operator|(Bytes a, Bytes b) {
    return {_mm256_or_si256(a.lanes, b.lanes)};
  }

  WQNPREP_AVX2 unsigned mask() const { return static_cast<unsigned>(_mm256_movemask_epi8(lanes)); }
};

}  // namespace

bool runsHere() {
  // Also checks that the operating system saves the wide registers.
  return __builtin_cpu_supports("avx2");
}

WQNPREP_AVX2 const char* findPair(const PairPatterns& patterns, const char* p, const char* last) {
  // Fewer than thirty-two positions left go to the SSE2 lanes, then byte by byte.
  return scan_generic::findPair<Bytes, scan_sse2::Bytes>(patterns, p, last);
}

}  // namespace wqnprep::scan_avx2
