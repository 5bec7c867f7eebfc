// The byte pairs the engine looks for, in a form every scan implementation reads: plain bytes,
// so that this header (part of the engine's public one) carries no vector intrinsics.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace wqnprep {

using BytePair = std::array<char, 2>;

// The most pairs a scan looks for. Each pair costs two compares per block in the vector loops;
// more pairs than this are refused rather than scanned slowly.
inline constexpr std::size_t kVectorPairLimit = 4;

struct PairPatterns {
  // The widest vector register any scan loads the broadcast bytes into.
  static constexpr std::size_t kMaxWidth = 32;

  std::size_t count = 0;
  std::array<BytePair, kVectorPairLimit> pairs{};
  // Each pair's first and second byte repeated kMaxWidth times, ready for an aligned load.
  alignas(kMaxWidth) std::array<std::array<char, kMaxWidth>, kVectorPairLimit> firsts{};
  alignas(kMaxWidth) std::array<std::array<char, kMaxWidth>, kVectorPairLimit> seconds{};

  // Throws std::length_error, naming what to change, for more than kVectorPairLimit pairs.
  explicit PairPatterns(const std::vector<BytePair>& wanted);
};

// Finds where any of a few two-byte patterns starts. This is the scan over every input byte.
class PairScanner {
 public:
  explicit PairScanner(const std::vector<BytePair>& pairs);

  // The first position in [p, end - 1) where a pattern starts, or nullptr. Defined in
  // text/byte_runs.h, which the scanning source files include.
  inline const char* find(const char* p, const char* end) const;

 private:
  PairPatterns patterns_;
  [[maybe_unused]] bool wide_;  // whether find() takes the run-time chosen wider scan
};

}  // namespace wqnprep
