#include "text/scan_paths.h"

#if defined(WQNPREP_USE_AVX2_SCAN)
#include "text/scan_avx2.h"
#endif

namespace wqnprep {

ScanPath pairScanPath() {
#if defined(WQNPREP_USE_AVX2_SCAN)
  static const bool avx2 = scan_avx2::runsHere();
  if (avx2) return ScanPath::kAvx2;
#endif
#if defined(WQNPREP_SSE2_SCAN)
  return ScanPath::kSse2;
#elif defined(WQNPREP_NEON_SCAN)
  return ScanPath::kNeon;
#else
  return ScanPath::kScalar;
#endif
}

const char* scanPathName(ScanPath path) {
  switch (path) {
    case ScanPath::kScalar:
      return "scalar";
    case ScanPath::kSse2:
      return "SSE2";
    case ScanPath::kAvx2:
      return "AVX2";
    case ScanPath::kNeon:
      return "NEON";
  }
  return "?";
}

}  // namespace wqnprep
