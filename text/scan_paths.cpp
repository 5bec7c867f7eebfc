#include "text/scan_paths.h"

namespace wqnprep {

ScanPath pairScanPath() {
#if defined(WQNPREP_SSE2_SCAN)
  return ScanPath::kSse2;
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
  }
  return "?";
}

}  // namespace wqnprep
