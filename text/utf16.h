// UTF-16 to UTF-8 and back, in pieces cut anywhere, for scripts saved as UTF-16: the engine and
// the findings pass read UTF-8, and the output goes back in the input's own encoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace wqnprep {

// What the byte-order mark a text begins with says it is. UTF-8's mark is none of these: such a
// text is read as it is.
enum class ByteOrderMark : std::uint8_t { kNone, kUtf16Le, kUtf16Be, kUtf32Le, kUtf32Be };

inline constexpr std::size_t kLongestByteOrderMark = 4;

// The mark `start`, the first bytes of a text, begins with; nothing when more bytes are needed
// to tell and the text goes on (not `atEnd`). FF FE 00 00 is UTF-32LE's mark, although UTF-16LE
// text beginning with U+0000 starts so too: no editor writes such a text.
std::optional<ByteOrderMark> byteOrderMarkOf(std::string_view start, bool atEnd);

// "UTF-16LE", "UTF-32BE", ...
const char* encodingName(ByteOrderMark mark);
// The mark's bytes in hexadecimal, "FF FE".
std::string markBytes(ByteOrderMark mark);

// UTF-16 that does not decode; what() says why and at which offset from the text's start.
class UndecodableUtf16 : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// UTF-16 in one byte order to UTF-8, given in pieces that may cut a code unit or a surrogate pair.
class Utf16Decoder {
 public:
  explicit Utf16Decoder(bool bigEndian) : bigEndian_(bigEndian) {}

  // The most bytes that decoding `size` more bytes writes.
  static constexpr std::size_t outputCapacity(std::size_t size) { return (size + 1) / 2 * 3 + 1; }

  // Writes the UTF-8 of the next `size` bytes to `out`; returns how many bytes it wrote. Raises
  // UndecodableUtf16 on an unpaired surrogate.
  std::size_t decode(const char* in, std::size_t size, char* out);
  // At the end of the text: half a code unit or a high surrogate left over raises
  // UndecodableUtf16.
  void finish() const;

 private:
  bool bigEndian_;
  std::uint64_t offset_ = 0;         // bytes taken so far
  int pendingByte_ = -1;             // the first byte of a code unit cut in two
  std::uint32_t highSurrogate_ = 0;  // one waiting for its low surrogate
  std::uint64_t highOffset_ = 0;     // where it began
};

// UTF-8 to UTF-16 in one byte order, given in pieces that may cut a character. The UTF-8 is what
// the engine made of decoded UTF-16, and so valid.
class Utf16Encoder {
 public:
  explicit Utf16Encoder(bool bigEndian) : bigEndian_(bigEndian) {}

  // The most bytes that encoding `size` more bytes writes.
  static constexpr std::size_t outputCapacity(std::size_t size) { return 2 * (size + 3); }

  // Writes the UTF-16 of the next `size` bytes to `out`; returns how many bytes it wrote.
  std::size_t encode(const char* in, std::size_t size, char* out);
  // Whether no character is left cut.
  bool complete() const { return pendingSize_ == 0; }

 private:
  bool bigEndian_;
  unsigned char pending_[4] = {};
  std::size_t pendingSize_ = 0;
};

// The bytes a line's UTF-16 takes whose first bytes took `count`, followed by the valid UTF-8
// `utf8` (cut anywhere): 2 for each code unit, so 4 for a character beyond U+FFFF.
std::uint64_t utf16ByteCountAfter(std::uint64_t count, std::string_view utf8);
// The same in code units: 1 for each, 2 for a character beyond U+FFFF.
std::uint64_t utf16UnitCountAfter(std::uint64_t count, std::string_view utf8);

}  // namespace wqnprep
