// Which scan implementations this build has, and which one runs. The 16-byte scans are chosen at
// compile time from what the target always has (SSE2 on x86-64, NEON on 64-bit ARM). The AVX2
// pair scan is built on x86-64 (WQNPREP_HAS_AVX2_SCAN) and, when the build asks for it
// (WQNPREP_USE_AVX2_SCAN), chosen at run time where the processor has it. WQNPREP_SCALAR_SCAN
// turns them all off.
#pragma once

#if !defined(WQNPREP_SCALAR_SCAN)
#if defined(__SSE2__) || defined(_M_X64)  // MSVC has no __SSE2__; every x64 processor has SSE2
#define WQNPREP_SSE2_SCAN 1
#elif defined(__ARM_NEON)
#define WQNPREP_NEON_SCAN 1
#endif
#endif

namespace wqnprep {

enum class ScanPath { kScalar, kSse2, kAvx2, kNeon };

// The implementation PairScanner::find uses in this process.
ScanPath pairScanPath();
const char* scanPathName(ScanPath path);

}  // namespace wqnprep
