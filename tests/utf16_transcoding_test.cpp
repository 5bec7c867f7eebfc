// UTF-16 to UTF-8 and back in pieces cut at every place, and the byte-order marks that choose
// it; the same texts through the program's block loop, read a few bytes at a time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "stream_feeder.h"
#include "text/utf16.h"
#include "utf16_text.h"

namespace wqnprep::testing {
namespace {

using namespace std::string_view_literals;

// The compiler's own UTF-8.
std::string utf8(std::u8string_view text) {
  return std::string(text.begin(), text.end());
}

struct DecodeCase {
  const char* label;
  bool bigEndian;
  std::string input;
  std::string utf8;     // what it decodes to, when it does
  std::string failure;  // why it does not, when it does not
};

void PrintTo(const DecodeCase& c, std::ostream* out) {
  *out << c.label;
}

// The input decoded in pieces of `piece` bytes; the failure's reason instead, if any.
std::string decodeInPieces(const DecodeCase& c, std::size_t piece) {
  Utf16Decoder decoder(c.bigEndian);
  std::string out;
  try {
    for (std::size_t at = 0; at < c.input.size(); at += piece) {
      const std::string_view part = std::string_view(c.input).substr(at, piece);
      std::string room(Utf16Decoder::outputCapacity(part.size()), '\0');
      room.resize(decoder.decode(part.data(), part.size(), room.data()));
      out += room;
    }
    decoder.finish();
  } catch (const UndecodableUtf16& fault) {
    return fault.what();
  }
  return out;
}

std::string encodeInPieces(const DecodeCase& c, std::size_t piece) {
  Utf16Encoder encoder(c.bigEndian);
  std::string out;
  for (std::size_t at = 0; at < c.utf8.size(); at += piece) {
    const std::string_view part = std::string_view(c.utf8).substr(at, piece);
    std::string room(Utf16Encoder::outputCapacity(part.size()), '\0');
    room.resize(encoder.encode(part.data(), part.size(), room.data()));
    out += room;
  }
  EXPECT_TRUE(encoder.complete());
  return out;
}

class Utf16Transcoding : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Utf16Transcoding, GivesTheSameTextWhereverThePiecesAreCut) {
  const DecodeCase& c = GetParam();
  for (std::size_t piece = 1; piece <= c.input.size() + 1; ++piece) {
    SCOPED_TRACE("pieces of " + std::to_string(piece) + " bytes");
    if (c.failure.empty()) {
      EXPECT_TRUE(decodeInPieces(c, piece) == c.utf8);
      EXPECT_TRUE(encodeInPieces(c, piece) == c.input);
    } else {
      EXPECT_EQ(decodeInPieces(c, piece), c.failure);
    }
  }
}

// Through preprocess(), reads of a few bytes cut the mark, the code units and the pairs; text
// whose last line is ended and that holds no token comes out as it went in.
TEST_P(Utf16Transcoding, PassesThroughTheBlockLoopReadAFewBytesAtATime) {
  const DecodeCase& c = GetParam();
  if (!c.failure.empty() || !c.utf8.ends_with('\n')) return;
  const std::string marked = utf16(u"\uFEFF", c.bigEndian) + c.input;
  for (std::size_t piece = 1; piece <= 5; ++piece) {
    SCOPED_TRACE("reads of " + std::to_string(piece) + " bytes");
    const StreamRun run = streamInPieces(marked, {piece});
    EXPECT_TRUE(run.output == marked) << ::testing::PrintToString(run.output);
  }
}

std::string decodeCaseName(const ::testing::TestParamInfo<DecodeCase>& info) {
  return info.param.label;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Utf16Transcoding,
    ::testing::Values(
        DecodeCase{"Empty", false, "", "", ""},
        DecodeCase{"ByteOrderMarkAlone", false, utf16(u"\uFEFF", false), utf8(u8"\uFEFF"), ""},
        DecodeCase{"LittleEndian", false, utf16(u"a\u00E9\u4E2D\r\n", false),
                   utf8(u8"a\u00E9\u4E2D\r\n"), ""},
        DecodeCase{"BigEndian", true, utf16(u"a\u00E9\u4E2D\r\n", true),
                   utf8(u8"a\u00E9\u4E2D\r\n"), ""},
        DecodeCase{"SurrogatePairs", false, utf16(u"\U0001F600x\U0010FFFF\n", false),
                   utf8(u8"\U0001F600x\U0010FFFF\n"), ""},
        DecodeCase{"NulAndTheLastBeforeSurrogates", true, utf16(u"\0\uD7FF\uE000\n"sv, true),
                   utf8(u8"\0\uD7FF\uE000\n"sv), ""},
        DecodeCase{"OddByteCount", false, utf16(u"ab", false) + "c", "",
                   "an odd number of bytes, the last at offset 4 being half a code unit"},
        DecodeCase{"HighSurrogateBeforeAnotherUnit", false,
                   utf16(u"a", false) + std::string("\x3D\xD8", 2) + utf16(u"b", false), "",
                   "an unpaired high surrogate at offset 2"},
        DecodeCase{"HighSurrogateAtTheEnd", true, utf16(u"a", true) + std::string("\xD8\x3D", 2),
                   "", "an unpaired high surrogate at offset 2"},
        DecodeCase{"LowSurrogateAlone", true, utf16(u"ab", true) + std::string("\xDE\x00", 2), "",
                   "an unpaired low surrogate at offset 4"}),
    decodeCaseName);

struct MarkCase {
  const char* label;
  std::string start;
  bool atEnd;
  std::optional<ByteOrderMark> mark;  // nothing: more bytes are needed to tell
};

void PrintTo(const MarkCase& c, std::ostream* out) {
  *out << c.label;
}

class ByteOrderMarks : public ::testing::TestWithParam<MarkCase> {};

TEST_P(ByteOrderMarks, AreToldFromTheFirstBytes) {
  EXPECT_EQ(byteOrderMarkOf(GetParam().start, GetParam().atEnd), GetParam().mark);
}

INSTANTIATE_TEST_SUITE_P(
    Starts, ByteOrderMarks,
    ::testing::Values(
        MarkCase{"Utf16Le",
                 "\xFF\xFE"
                 "a",
                 false, ByteOrderMark::kUtf16Le},
        MarkCase{"Utf16LeWithNothingAfter", "\xFF\xFE", true, ByteOrderMark::kUtf16Le},
        MarkCase{"Utf16LeOrUtf32LeUntold", "\xFF\xFE", false, std::nullopt},
        MarkCase{"Utf16Be", "\xFE\xFF", false, ByteOrderMark::kUtf16Be},
        MarkCase{"Utf32Le", std::string("\xFF\xFE\0\0", 4), false, ByteOrderMark::kUtf32Le},
        MarkCase{"Utf32Be", std::string("\0\0\xFE\xFF", 4), false, ByteOrderMark::kUtf32Be},
        MarkCase{"NulBytes", std::string("\0\0\0", 3), false, ByteOrderMark::kNone},
        MarkCase{"NulBytesUntold", std::string("\0\0\xFE", 3), false, std::nullopt},
        MarkCase{"NulBytesThatEnd", std::string("\0\0\xFE", 3), true, ByteOrderMark::kNone},
        MarkCase{"Utf8Mark", "\xEF\xBB\xBF", false, ByteOrderMark::kNone},
        MarkCase{"SingleByteText",
                 "\xFF"
                 "a",
                 false, ByteOrderMark::kNone},
        MarkCase{"NothingYet", "", false, std::nullopt},
        MarkCase{"EmptyText", "", true, ByteOrderMark::kNone}),
    [](const ::testing::TestParamInfo<MarkCase>& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace wqnprep::testing
