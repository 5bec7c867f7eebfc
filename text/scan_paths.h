// Which scan implementations this build has, and which one runs. The vector scans are chosen at
// compile time from what the target always has (SSE2 on x86-64, NEON on 64-bit ARM); wider ones
// are chosen at run time when the processor has them. WQNPREP_SCALAR_SCAN turns them all off.
#pragma once

#if !defined(WQNPREP_SCALAR_SCAN)
#if defined(__SSE2__)
#define WQNPREP_SSE2_SCAN 1
#endif
#endif

namespace wqnprep {

enum class ScanPath { kScalar, kSse2 };

// The implementation PairScanner::find uses in this process.
ScanPath pairScanPath();
const char* scanPathName(ScanPath path);

}  // namespace wqnprep
