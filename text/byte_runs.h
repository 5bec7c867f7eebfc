// The scans over the input, each in the fastest implementation this build and processor have:
// the vector scans of text/scan_generic.h over the byte lanes of the instruction set chosen when
// compiling (text/scan_sse2.h, text/scan_neon.h), or the byte loops of text/scan_scalar.h. Both
// have one interface:
//   const char* nameRunEnd(const char* p, const char* limit);
//   const char* findPair(const PairPatterns& patterns, const char* p, const char* last);
// Only source files include this header; public headers include text/pair_scanner.h.
#pragma once

#include "text/pair_scanner.h"
#include "text/scan_paths.h"
#include "text/scan_scalar.h"

#if defined(WQNPREP_SSE2_SCAN) || defined(WQNPREP_NEON_SCAN)
#include "text/scan_generic.h"
#endif
#if defined(WQNPREP_SSE2_SCAN)
#include "text/scan_sse2.h"
#elif defined(WQNPREP_NEON_SCAN)
#include "text/scan_neon.h"
#endif
#if defined(WQNPREP_USE_AVX2_SCAN)
#include "text/scan_avx2.h"
#endif

namespace wqnprep {

// The implementation chosen at compile time.
namespace scan_native {
#if defined(WQNPREP_SSE2_SCAN) || defined(WQNPREP_NEON_SCAN)
#if defined(WQNPREP_SSE2_SCAN)
using Bytes = scan_sse2::Bytes;
#else
using Bytes = scan_neon::Bytes;
#endif
inline const char* nameRunEnd(const char* p, const char* limit) {
  return scan_generic::nameRunEnd<Bytes>(p, limit);
}
inline const char* findPair(const PairPatterns& patterns, const char* p, const char* last) {
  return scan_generic::findPair<Bytes>(patterns, p, last);
}
inline const char* findingCandidate(const char* p, const char* end) {
  return scan_generic::findingCandidate<Bytes>(p, end);
}
inline std::size_t countByte(const char* p, const char* end, char byte) {
  return scan_generic::countByte<Bytes>(p, end, byte);
}
#else
using scan_scalar::countByte;
using scan_scalar::findingCandidate;
using scan_scalar::findPair;
using scan_scalar::nameRunEnd;
#endif
}  // namespace scan_native

// The end of the run of name bytes (ASCII letters, digits, '_') that starts at `p`, at most
// `limit`.
inline const char* nameRunEnd(const char* p, const char* limit) {
  return scan_native::nameRunEnd(p, limit);
}

// Where the findings pass has to look next, from `p` on (see scan_scalar::findingCandidate):
// nothing before it can begin a finding.
inline const char* findingCandidate(const char* p, const char* end) {
  return scan_native::findingCandidate(p, end);
}

// How many of the bytes in [p, end) are `byte`.
inline std::size_t countByte(const char* p, const char* end, char byte) {
  return scan_native::countByte(p, end, byte);
}

inline const char* PairScanner::find(const char* p, const char* end) const {
  if (end - p < 2) return nullptr;
  const char* const last = end - 1;  // a pattern needs the byte after it
#if defined(WQNPREP_USE_AVX2_SCAN)
  if (wide_) return scan_avx2::findPair(patterns_, p, last);
#endif
  return scan_native::findPair(patterns_, p, last);
}

}  // namespace wqnprep
