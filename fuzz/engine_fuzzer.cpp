// libFuzzer target: arbitrary bytes through the program's block loop in reads of varying sizes,
// against the line-by-line pass that defines the output; then as a file is read, in one read, and
// cut into pieces; and its findings, which must be those of the whole text in one piece.
//
// The first two bytes seed the piece sizes; the rest is the text. Any difference aborts. A text
// with a UTF-16 byte-order mark must come out as its decoded text's line-by-line output, encoded
// back, or fail as decoding it in one piece does; read as a file, it fails with nothing written.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <memory_resource>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/preprocess.h"
#include "fuzz_support.h"
#include "stream_feeder.h"
#include "symbols/substitute_line.h"
#include "text/utf16.h"

namespace {

using wqnprep::fuzzing::require;

struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const {
    return std::hash<std::string_view>{}(text);
  }
};
using Remembered =
    std::pmr::unordered_map<std::pmr::string, std::pmr::string, TextHash, std::equal_to<>>;

// What substituteText gives, each line's result remembered: most lines of an input are lines of
// inputs before it, and the line-by-line pass, which builds every token of every table for each
// line, costs more than the rest of a run. A line's output depends on the line alone. They are
// kept in memory taken once, not from malloc: libFuzzer looks for leaks after every input that
// allocates more than it frees, and that look costs more than the pass.
std::string expectedOutput(const std::string& text) {
  constexpr std::size_t kRoom = std::size_t{32} << 20;
  static const auto room = std::make_unique_for_overwrite<std::byte[]>(kRoom);
  static std::pmr::monotonic_buffer_resource arena(room.get(), kRoom,
                                                   std::pmr::null_memory_resource());
  static std::optional<Remembered> remembered;
  static std::size_t rememberedBytes = 0;
  if (!remembered || rememberedBytes > kRoom / 2) {
    remembered.reset();
    arena.release();
    remembered.emplace(&arena);
    rememberedBytes = 0;
  }
  std::string output;
  for (std::size_t begin = 0; begin < text.size();) {
    const std::size_t end = std::min(text.find('\n', begin), text.size());
    const std::string_view line(text.data() + begin, end - begin);
    auto known = remembered->find(line);
    if (known == remembered->end()) {
      std::string substituted(line);
      wqnprep::substituteLine(substituted);
      substituted += '\n';
      // At least what the node, its share of the buckets and the two strings take: the room
      // must never run out, or the run would end on std::bad_alloc.
      rememberedBytes += 2 * (line.size() + substituted.size()) + 128;
      known = remembered->emplace(line, substituted).first;
    }
    output += known->second;
    begin = end + 1;
  }
  return output;
}

std::size_t lineCount(const std::string& text) {
  const auto feeds = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  return feeds + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

// The whole text decoded in one piece; raises UndecodableUtf16 when it does not decode.
std::string decoded(const std::string& input, bool bigEndian) {
  wqnprep::Utf16Decoder decoder(bigEndian);
  std::string text(wqnprep::Utf16Decoder::outputCapacity(input.size()), '\0');
  text.resize(decoder.decode(input.data(), input.size(), text.data()));
  decoder.finish();
  return text;
}

// The whole text decoded, substituted line by line and encoded back in one piece each; nothing
// when it does not decode.
std::optional<std::string> transcodedExpectation(const std::string& input, bool bigEndian) {
  std::string text;
  try {
    text = decoded(input, bigEndian);
  } catch (const wqnprep::UndecodableUtf16&) {
    return std::nullopt;
  }
  const std::string substituted = expectedOutput(text);
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

void checkText(const std::string& input, const wqnprep::testing::StreamRun& pieced) {
  require(pieced.output == expectedOutput(input),
          "the engine's output equals the line-by-line output");
  require(lineCount(pieced.output) == lineCount(input), "one output line per input line");
  require(pieced.output.empty() || pieced.output.back() == '\n', "the output ends a line");
  require(!pieced.heldTooMuch, "at most a token's length is held back");
  require(!pieced.heldALineFeed, "no complete line is held back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::minstd_rand random(static_cast<std::uint32_t>(data[0] | data[1] << 8) + 1);
  const std::string input(reinterpret_cast<const char*>(data) + 2, size - 2);
  std::vector<std::size_t> pieces;
  for (int i = 0; i < 16; ++i) pieces.push_back(1 + random() % (random() % 2 == 0 ? 8 : 300));

  static wqnprep::fuzzing::HeardFindings findings;
  const wqnprep::testing::StreamRun pieced =
      wqnprep::testing::streamInPieces(input, pieces, &findings.fresh());
  const std::vector<std::string> piecedFindings = findings.take();
  const wqnprep::ByteOrderMark mark = *wqnprep::byteOrderMarkOf(input, true);
  if (mark == wqnprep::ByteOrderMark::kNone) {
    checkText(input, pieced);
  } else {
    checkUtf16(input, mark, pieced);
  }

  // Read as a file: one read, and UTF-16 decoded whole before anything is written.
  auto file = wqnprep::fuzzing::MemorySource::file(input);
  wqnprep::fuzzing::MemorySink sink;
  std::string fileError;
  try {
    preprocess(file, sink);
  } catch (const std::runtime_error& error) {
    fileError = error.what();
  }
  if (!pieced.error.empty()) {
    // Findings before a failure depend on where the reads that meet it were cut.
    require(!fileError.empty() && sink.text.empty(), "a file that fails leaves nothing written");
    return 0;
  }
  require(fileError.empty() && sink.text == pieced.output,
          "a file read whole comes out as the pieces did, findings or not");

  // Cut into pieces of a few bytes, as a large file is; on one thread, as a thread started for
  // each input would cost more than the rest of the run (the unit tests run two).
  const wqnprep::testing::StreamRun cut =
      wqnprep::testing::streamFromFileInPieces(input, {}, 1 + random() % 64, false);
  require(cut.error.empty() && cut.output == pieced.output,
          "a file cut into pieces comes out as one read does");

  // Findings only report, and are the same however the input arrives: in one piece, as the
  // findings-only pass of --check hands a file this short to the scanner.
  const std::string text = mark == wqnprep::ByteOrderMark::kNone
                               ? input
                               : decoded(input, mark == wqnprep::ByteOrderMark::kUtf16Be);
  wqnprep::FindingScanner& scanner = findings.fresh();
  scanner.scan(text.data(), text.size());
  scanner.finish();
  require(findings.take() == piecedFindings, "findings do not depend on the pieces");
  return 0;
}
