// Every scan implementation this build has, against the byte classes and a plain search: every
// byte value, at every position of every range up to 64 bytes, starting at every offset from an
// aligned address up to 31. The vector loops and their byte-by-byte tails meet at all of those.
#include "text/byte_runs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "symbols/stream_substituter.h"
#include "text/scan_avx2.h"
#include "text/scan_paths.h"
#include "text/word_chars.h"

namespace wqnprep {
namespace {

constexpr std::size_t kOffsets = 32;    // starts 0..31 bytes past an aligned address
constexpr std::size_t kMaxLength = 64;  // ranges of 0..64 bytes

struct Implementation {
  const char* name;
  const char* (*nameRunEnd)(const char* p, const char* limit);
  const char* (*findPair)(const PairPatterns& patterns, const char* p, const char* last);
  std::size_t (*countByte)(const char* p, const char* end, char byte);
  bool (*runsHere)();  // whether this processor has the instructions
};

void PrintTo(const Implementation& implementation, std::ostream* out) {
  *out << implementation.name;
}

bool always() {
  return true;
}

std::vector<Implementation> implementations() {
  std::vector<Implementation> all{
      {"scalar", scan_scalar::nameRunEnd, scan_scalar::findPair, scan_scalar::countByte, always}};
#if defined(WQNPREP_SSE2_SCAN)
  all.push_back(
      {"sse2", scan_native::nameRunEnd, scan_native::findPair, scan_native::countByte, always});
#endif
#if defined(WQNPREP_HAS_AVX2_SCAN)
  // Only the pair scan has an AVX2 form.
  all.push_back({"avx2", scan_native::nameRunEnd, scan_avx2::findPair, scan_native::countByte,
                 scan_avx2::runsHere});
#endif
#if defined(WQNPREP_NEON_SCAN)
  all.push_back(
      {"neon", scan_native::nameRunEnd, scan_native::findPair, scan_native::countByte, always});
#endif
  return all;
}

std::string nameOf(const ::testing::TestParamInfo<Implementation>& info) {
  return info.param.name;
}

class ScanImplementation : public ::testing::TestWithParam<Implementation> {
 protected:
  void SetUp() override {
    if (!GetParam().runsHere()) GTEST_SKIP() << "this processor lacks the instructions";
  }
};

// Room for the largest offset, range and a block read past its end.
using Buffer = std::array<char, kOffsets + kMaxLength + 64>;

// Collects mismatches without an assertion per call, which would dominate the run time.
struct Mismatches {
  std::size_t count = 0;
  std::string first;

  // `describe` makes the description, only for a mismatch.
  template <typename Describe>
  void check(bool same, const Describe& describe) {
    if (same) return;
    if (count++ == 0) first = describe();
  }
};

std::string where(int byte, std::size_t offset, std::size_t length, std::size_t position) {
  return "byte " + std::to_string(byte) + " at position " + std::to_string(position) +
         " of a range of " + std::to_string(length) + " bytes at offset " + std::to_string(offset);
}

TEST_P(ScanImplementation, NameRunEndsAtTheFirstByteOutsideTheNameClass) {
  // Name bytes all around, every one of them in turn, so that a scan reading past the limit or
  // treating a name byte as a stop is caught.
  std::vector<char> nameBytes;
  for (int byte = 0; byte < 256; ++byte) {
    if (hasClass(static_cast<char>(byte), kNameByte)) nameBytes.push_back(static_cast<char>(byte));
  }
  alignas(64) Buffer buffer;
  for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = nameBytes[(i * 5) % nameBytes.size()];

  Mismatches mismatches;
  for (std::size_t offset = 0; offset < kOffsets; ++offset) {
    for (std::size_t length = 0; length <= kMaxLength; ++length) {
      const char* begin = buffer.data() + offset;
      const char* limit = begin + length;
      mismatches.check(GetParam().nameRunEnd(begin, limit) == limit, [&] {
        return "only name bytes in a range of " + std::to_string(length) + " bytes at offset " +
               std::to_string(offset);
      });
      for (std::size_t position = 0; position < length; ++position) {
        char& slot = buffer[offset + position];
        const char saved = slot;
        for (int byte = 0; byte < 256; ++byte) {
          slot = static_cast<char>(byte);
          const std::size_t expected = hasClass(slot, kNameByte) ? length : position;
          const char* end = GetParam().nameRunEnd(begin, limit);
          mismatches.check(end == begin + expected,
                           [&] { return where(byte, offset, length, position); });
        }
        slot = saved;
      }
    }
  }
  EXPECT_EQ(mismatches.count, 0U) << "first wrong end: " << mismatches.first;
}

// Line feeds alone for longer than a lane counts them before they are added up, then a few among
// every other byte: ranges of every length around a lane's count, at offsets off any alignment.
TEST_P(ScanImplementation, CountByteCountsEveryOneOverLongRanges) {
  std::string text(9000, '\n');
  for (std::size_t i = 0; text.size() < 20000; ++i) text += static_cast<char>(i * 7 % 256);
  for (const std::size_t offset : {0, 1, 15, 17}) {
    for (const std::size_t length : {0, 15, 16, 4079, 4080, 4081, 4096, 8000, 19983}) {
      const char* const begin = text.data() + offset;
      EXPECT_EQ(GetParam().countByte(begin, begin + length, '\n'),
                static_cast<std::size_t>(std::count(begin, begin + length, '\n')))
          << length << " bytes at offset " << offset;
    }
  }
}

// A naive search, what every scan must agree with.
const char* plainSearch(const PairPatterns& patterns, const char* p, const char* last) {
  for (; p < last; ++p) {
    for (std::size_t i = 0; i < patterns.count; ++i) {
      if (p[0] == patterns.pairs[i][0] && p[1] == patterns.pairs[i][1]) return p;
    }
  }
  return nullptr;
}

TEST_P(ScanImplementation, PairScanFindsTheFirstPatternWherePlainSearchDoes) {
  Mismatches mismatches;
  alignas(64) Buffer buffer;
  for (int byte = 0; byte < 256; ++byte) {
    // `byte` as the first byte of one pattern and the second of another, among one to four
    // patterns; the bytes 0 and 255 in a pattern catch signed-compare slips.
    const char b = static_cast<char>(byte);
    const char after = static_cast<char>(byte ^ 0x5A);
    const char before = static_cast<char>(byte ^ 0xA5);
    const std::vector<BytePair> all{{b, after}, {before, b}, {':', ':'}, {'\0', '\xFF'}};
    const PairPatterns patterns(std::vector<BytePair>(
        all.begin(), all.begin() + 1 + static_cast<std::ptrdiff_t>(byte % kVectorPairLimit)));

    // Filler of every byte value that is in no pattern: no pattern starts in it, and one can
    // start only where a test writes a pattern byte.
    std::vector<char> filler;
    for (int other = 0; other < 256; ++other) {
      bool inPattern = false;
      for (const BytePair& pair : all) {
        inPattern =
            inPattern || pair[0] == static_cast<char>(other) || pair[1] == static_cast<char>(other);
      }
      if (!inPattern) filler.push_back(static_cast<char>(other));
    }
    for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = filler[(i * 7) % filler.size()];
    ASSERT_EQ(plainSearch(patterns, buffer.data(), buffer.data() + buffer.size() - 1), nullptr);

    for (std::size_t offset = 0; offset < kOffsets; ++offset) {
      for (std::size_t length = 0; length <= kMaxLength; ++length) {
        // `length` positions a pattern may start at; the byte after the last is read too.
        const char* begin = buffer.data() + offset;
        const char* last = begin + length;
        mismatches.check(GetParam().findPair(patterns, begin, last) == nullptr, [&] {
          return "no pattern byte in a range of " + std::to_string(length) + " bytes at offset " +
                 std::to_string(offset);
        });
        for (std::size_t position = 0; position <= length; ++position) {
          char* at = buffer.data() + offset + position;
          const std::array<char, 2> saved{at[0], at[1]};
          // The whole first pattern, the second pattern ending in `byte`, and `byte` alone.
          const std::array<std::array<char, 2>, 3> writes{{{b, after}, {before, b}, {b, at[1]}}};
          for (const auto& write : writes) {
            at[0] = write[0];
            at[1] = write[1];
            // Only the two bytes written can start a pattern.
            const char* expected = plainSearch(patterns, at, std::min<const char*>(at + 2, last));
            mismatches.check(GetParam().findPair(patterns, begin, last) == expected, [&] {
              return where(byte, offset, length, position) + " with " +
                     std::to_string(patterns.count) + " patterns";
            });
          }
          at[0] = saved[0];
          at[1] = saved[1];
        }
      }
    }
  }
  EXPECT_EQ(mismatches.count, 0U) << "first wrong find: " << mismatches.first;
}

INSTANTIATE_TEST_SUITE_P(ThisBuild, ScanImplementation, ::testing::ValuesIn(implementations()),
                         nameOf);

struct FindCase {
  const char* what;
  std::string text;
  std::size_t expected;  // npos for none
};

class PairScannerFind : public ::testing::TestWithParam<FindCase> {};

TEST_P(PairScannerFind, GivesTheFirstStartBeforeTheLastByte) {
  const PairScanner scanner({{':', ':'}, {'_', 'G'}});
  const FindCase& c = GetParam();
  const char* found = scanner.find(c.text.data(), c.text.data() + c.text.size());
  const std::size_t at =
      found == nullptr ? std::string::npos : static_cast<std::size_t>(found - c.text.data());
  EXPECT_EQ(at, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, PairScannerFind,
    ::testing::Values(
        FindCase{"empty", "", std::string::npos}, FindCase{"one byte", ":", std::string::npos},
        FindCase{"only a pattern", "::", 0},
        FindCase{"first byte at the end", std::string(40, 'x') + ":", std::string::npos},
        FindCase{"pattern at the end of a long text", std::string(40, 'x') + "_G", 40},
        FindCase{"earlier of two patterns", std::string(20, 'x') + "_G::", 20},
        FindCase{"overlapping colons", ":::", 0}),
    [](const ::testing::TestParamInfo<FindCase>& info) {
      std::string name;
      for (const char c : std::string(info.param.what)) name += c == ' ' ? '_' : c;
      return name;
    });

TEST(ScanPairLimit, TooManyPairsAreRefusedWithWhatToChange) {
  const std::vector<BytePair> tooMany(kVectorPairLimit + 1, BytePair{'a', 'b'});
  try {
    const PairScanner scanner(tooMany);
    FAIL() << "more pairs than kVectorPairLimit were accepted";
  } catch (const std::length_error& error) {
    EXPECT_NE(std::string(error.what()).find("raise kVectorPairLimit"), std::string::npos)
        << error.what();
  }
}

TEST(ScanPairLimit, TheCompiledInTablesFitTheVectorScan) {
  // Fails when a table change gives the engine more candidate pairs than the scans look for.
  try {
    const StreamSubstituter engine;
  } catch (const std::length_error& error) {
    FAIL() << error.what();
  }
}

TEST(ScanPath, ScalarScanOptionLeavesOnlyTheByteLoop) {
#if defined(WQNPREP_SCALAR_SCAN)
  EXPECT_EQ(pairScanPath(), ScanPath::kScalar) << scanPathName(pairScanPath());
#else
  GTEST_SKIP() << "built with the vector scans";
#endif
}

}  // namespace
}  // namespace wqnprep
