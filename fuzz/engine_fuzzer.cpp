// libFuzzer target: arbitrary bytes through the program's block loop in reads of varying sizes,
// against the line-by-line pass that defines the output.
//
// The first two bytes seed the piece sizes; the rest is the text. Any difference aborts. A text
// with a UTF-16 byte-order mark must come out as its decoded text's line-by-line output, encoded
// back, or fail as decoding it in one piece does.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "stream_feeder.h"
#include "symbols/substitute_line.h"
#include "text/utf16.h"

namespace {

void require(bool holds, const char* what) {
  if (!holds) {
    (void)std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

std::size_t lineCount(const std::string& text) {
  const auto feeds = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  return feeds + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

// The whole text decoded, substituted line by line and encoded back in one piece each; nothing
// when it does not decode.
std::optional<std::string> transcodedExpectation(const std::string& input, bool bigEndian) {
  wqnprep::Utf16Decoder decoder(bigEndian);
  std::string text(wqnprep::Utf16Decoder::outputCapacity(input.size()), '\0');
  try {
    text.resize(decoder.decode(input.data(), input.size(), text.data()));
    decoder.finish();
  } catch (const wqnprep::UndecodableUtf16&) {
    return std::nullopt;
  }
  const std::string substituted = wqnprep::substituteText(text);
  wqnprep::Utf16Encoder encoder(bigEndian);
  std::string expected(wqnprep::Utf16Encoder::outputCapacity(substituted.size()), '\0');
  expected.resize(encoder.encode(substituted.data(), substituted.size(), expected.data()));
  return expected;
}

void checkUtf16(const std::string& input, wqnprep::ByteOrderMark mark,
                const wqnprep::testing::StreamRun& pieced) {
  require(!pieced.heldTooMuch, "at most a token's length is held back");
  if (mark == wqnprep::ByteOrderMark::kUtf32Le || mark == wqnprep::ByteOrderMark::kUtf32Be) {
    require(!pieced.error.empty() && pieced.output.empty(), "UTF-32 is refused unread");
    return;
  }
  const std::optional<std::string> expected =
      transcodedExpectation(input, mark == wqnprep::ByteOrderMark::kUtf16Be);
  if (!expected) {
    require(!pieced.error.empty(), "UTF-16 that does not decode fails the run");
    return;
  }
  require(pieced.error.empty() && pieced.output == *expected,
          "UTF-16 comes out as the line-by-line output of its text, encoded back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::minstd_rand random(static_cast<std::uint32_t>(data[0] | data[1] << 8) + 1);
  const std::string input(reinterpret_cast<const char*>(data) + 2, size - 2);
  std::vector<std::size_t> pieces;
  for (int i = 0; i < 16; ++i) pieces.push_back(1 + random() % (random() % 2 == 0 ? 8 : 300));

  const wqnprep::testing::StreamRun pieced = wqnprep::testing::streamInPieces(input, pieces, true);
  const wqnprep::ByteOrderMark mark = *wqnprep::byteOrderMarkOf(input, true);
  if (mark != wqnprep::ByteOrderMark::kNone) {
    checkUtf16(input, mark, pieced);
    // Findings before a failure depend on where the reads that meet it were cut.
    if (!pieced.error.empty()) return 0;
  } else {
    const std::string expected = wqnprep::substituteText(input);
    require(pieced.output == expected, "the engine's output equals the line-by-line output");
    require(lineCount(pieced.output) == lineCount(input), "one output line per input line");
    require(pieced.output.empty() || pieced.output.back() == '\n', "the output ends a line");
    require(!pieced.heldTooMuch, "at most a token's length is held back");
    require(!pieced.heldALineFeed, "no complete line is held back");
  }

  // Findings only report: the same bytes come out without them, and they are the same findings
  // however the input arrives.
  const wqnprep::testing::StreamRun whole =
      wqnprep::testing::streamInPieces(input, {input.size() + 1}, false);
  require(whole.output == pieced.output, "findings never change the output");
  const wqnprep::testing::StreamRun wholeWithFindings =
      wqnprep::testing::streamInPieces(input, {input.size() + 1}, true);
  require(wholeWithFindings.findings == pieced.findings, "findings do not depend on the pieces");
  return 0;
}
