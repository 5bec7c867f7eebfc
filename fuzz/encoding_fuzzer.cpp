// libFuzzer target: the byte-order mark a text begins with, and UTF-16 of any length and content
// (odd, cut, unpaired) decoded in either byte order, through the decoder and the program's
// input that reads it.
//
// The first byte chooses the size of the pieces and whether the text is read as a pipe or a
// file; the rest is the text. A mark told from the first bytes is the mark of the whole text.
// Decoding in pieces gives what decoding whole gives, or the same failure; what decodes is valid
// UTF-8, whose encoding is the text again (in pieces too, and through the output that encodes
// the program's output) and counts the text's bytes. The program's input hands on the text
// itself, its decoding, or a refusal. A UTF-16 text has the findings of its UTF-8 twin, byte
// columns counting its own bytes.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/encoded_streams.h"
#include "fuzz_support.h"
#include "text/utf16.h"

namespace {

using wqnprep::fuzzing::require;

struct Decoded {
  std::optional<std::string> text;
  std::string failure;  // when there is no text
};

Decoded decodeInPieces(std::string_view bytes, bool bigEndian, std::size_t piece) {
  wqnprep::Utf16Decoder decoder(bigEndian);
  std::string text;
  try {
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
      const std::string_view part = bytes.substr(at, piece);
      const std::size_t end = text.size();
      text.resize(end + wqnprep::Utf16Decoder::outputCapacity(part.size()));
      text.resize(end + decoder.decode(part.data(), part.size(), text.data() + end));
    }
    decoder.finish();
  } catch (const wqnprep::UndecodableUtf16& fault) {
    return {std::nullopt, fault.what()};
  }
  return {text, {}};
}

std::string encodeInPieces(std::string_view text, bool bigEndian, std::size_t piece) {
  wqnprep::Utf16Encoder encoder(bigEndian);
  std::string bytes;
  for (std::size_t at = 0; at < text.size(); at += piece) {
    const std::string_view part = text.substr(at, piece);
    const std::size_t end = bytes.size();
    bytes.resize(end + wqnprep::Utf16Encoder::outputCapacity(part.size()));
    bytes.resize(end + encoder.encode(part.data(), part.size(), bytes.data() + end));
  }
  require(encoder.complete(), "valid UTF-8 leaves no character cut");
  return bytes;
}

// Well-formed UTF-8: no overlong form, no surrogate, nothing past U+10FFFF.
bool validUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if ((lead >= 0x80 && lead < 0xC2) || lead > 0xF4 || i + length > text.size()) return false;
    std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return false;
    i += length;
  }
  return true;
}

void checkTranscoding(const std::string& bytes, bool bigEndian, std::size_t piece) {
  const Decoded whole = decodeInPieces(bytes, bigEndian, bytes.size() + 1);
  const Decoded pieced = decodeInPieces(bytes, bigEndian, piece);
  require(whole.text == pieced.text && whole.failure == pieced.failure,
          "UTF-16 decodes alike in any pieces, or fails alike");
  if (!whole.text) return;
  const std::string& text = *whole.text;
  require(validUtf8(text), "decoded UTF-16 is valid UTF-8");
  require(encodeInPieces(text, bigEndian, piece) == bytes,
          "encoding the decoded text gives it back");
  std::uint64_t count = 0;
  for (std::size_t at = 0; at < text.size(); at += piece) {
    count = wqnprep::utf16ByteCountAfter(count, std::string_view(text).substr(at, piece));
  }
  require(count == bytes.size(), "the decoded text counts as many UTF-16 bytes as it came from");
  wqnprep::fuzzing::MemorySink sink;
  wqnprep::Utf16Output output(sink, bigEndian);
  for (std::size_t at = 0; at < text.size(); at += piece) {
    output.write(text.data() + at, std::min(piece, text.size() - at));
  }
  output.finish();
  require(sink.text == bytes, "the program's UTF-16 output encodes what it is given");
}

void checkMarks(std::string_view bytes, wqnprep::ByteOrderMark mark) {
  for (std::size_t size = 0; size <= std::min(bytes.size(), wqnprep::kLongestByteOrderMark);
       ++size) {
    const std::optional<wqnprep::ByteOrderMark> early =
        wqnprep::byteOrderMarkOf(bytes.substr(0, size), false);
    require(!early || *early == mark, "a mark told early is the text's mark");
    require(early || size < wqnprep::kLongestByteOrderMark, "the longest mark's bytes tell");
  }
}

// What the program's input hands on, read in pieces; nothing when it refuses the text.
std::optional<std::string> readThrough(wqnprep::ByteSource& source, std::size_t piece) {
  try {
    // The program's first read is a block, always long enough to tell the mark.
    wqnprep::TextInput input(source, std::max(piece, wqnprep::kLongestByteOrderMark));
    std::string text(piece, '\0');
    std::string all;
    while (const std::size_t got = input.read(text.data(), piece)) all.append(text.data(), got);
    return all;
  } catch (const std::runtime_error&) {
    return std::nullopt;
  }
}

// The findings of `text`, in one piece; `utf16` when it is decoded UTF-16, as the program's
// input hands it on.
std::vector<wqnprep::Finding> heardIn(const std::string& text, wqnprep::ColumnUnit unit,
                                      bool utf16) {
  static wqnprep::fuzzing::HeardFindings display;
  static wqnprep::fuzzing::HeardFindings bytes(wqnprep::kAllFindingKinds,
                                               wqnprep::ColumnUnit::kByte);
  wqnprep::FindingScanner& scanner = (unit == wqnprep::ColumnUnit::kByte ? bytes : display).fresh();
  if (utf16) scanner.countBytesAsUtf16();
  scanner.scan(text.data(), text.size());
  scanner.finish();
  return (unit == wqnprep::ColumnUnit::kByte ? bytes : display).takeFindings();
}

std::vector<std::string> findingsOf(const std::string& text, wqnprep::ColumnUnit unit, bool utf16) {
  return wqnprep::fuzzing::HeardFindings::texts(heardIn(text, unit, utf16));
}

// Where the column of a finding at byte `column` of `line` of UTF-8 `text` lies in its UTF-16.
std::uint64_t utf16Column(std::string_view text, std::uint64_t line, std::uint64_t column) {
  std::size_t start = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  for (std::uint64_t at = 1; at < line; ++at) start = text.find('\n', start) + 1;
  return wqnprep::utf16ByteCountAfter(0, text.substr(start, column - 1)) + 1;
}

// `text` is what the program's input handed on for UTF-16: the same bytes, read as UTF-8, are its
// twin.
void checkFindings(const std::string& text) {
  using wqnprep::ColumnUnit;
  require(
      findingsOf(text, ColumnUnit::kDisplay, true) == findingsOf(text, ColumnUnit::kDisplay, false),
      "UTF-16 has the findings of its UTF-8 twin");
  std::vector<wqnprep::Finding> expected = heardIn(text, ColumnUnit::kByte, false);
  for (wqnprep::Finding& finding : expected) {
    finding.column = utf16Column(text, finding.line, finding.column);
  }
  require(
      findingsOf(text, ColumnUnit::kByte, true) == wqnprep::fuzzing::HeardFindings::texts(expected),
      "byte columns of UTF-16 count its own bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t piece = std::size_t{data[0] & 0x7Fu} + 1;
  const bool asFile = (data[0] & 0x80u) != 0;
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  checkTranscoding(bytes, false, piece);
  checkTranscoding(bytes, true, piece);

  const wqnprep::ByteOrderMark mark = *wqnprep::byteOrderMarkOf(bytes, true);
  checkMarks(bytes, mark);
  std::optional<std::string> expected = bytes;
  if (mark == wqnprep::ByteOrderMark::kUtf32Le || mark == wqnprep::ByteOrderMark::kUtf32Be) {
    expected.reset();
  } else if (mark != wqnprep::ByteOrderMark::kNone) {
    expected =
        decodeInPieces(bytes, mark == wqnprep::ByteOrderMark::kUtf16Be, bytes.size() + 1).text;
  }
  auto source = asFile ? wqnprep::fuzzing::MemorySource::file(bytes)
                       : wqnprep::fuzzing::MemorySource::pipe(bytes, piece);
  require(readThrough(source, piece) == expected, "the text is handed on as it decodes");

  if (mark != wqnprep::ByteOrderMark::kNone && expected) checkFindings(*expected);
  return 0;
}
