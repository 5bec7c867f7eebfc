// What counts as part of a word when tokens are matched.
#pragma once

#include <array>
#include <cstdint>

namespace wqnprep {

// ASCII letters and digits only, as the "C" locale classifies them. Every other byte, the
// underscore, the colon and every byte of 128 and above included, is a word boundary.
constexpr bool isWordChar(unsigned char byte) {
  return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
         (byte >= 'a' && byte <= 'z');
}

constexpr bool isWordChar(char byte) {
  return isWordChar(static_cast<unsigned char>(byte));
}

// Byte classes for scanners, one table look-up per byte.
enum ByteClass : std::uint8_t {
  kWordByte = 1,   // a word character
  kNameByte = 2,   // may appear in an enumerator name: a word character or '_'
  kTokenByte = 4,  // may appear in any token: a name byte or ':'
};

inline constexpr std::array<std::uint8_t, 256> kByteClasses = [] {
  std::array<std::uint8_t, 256> classes{};
  for (int byte = 0; byte < 256; ++byte) {
    const auto c = static_cast<unsigned char>(byte);
    std::uint8_t bits = 0;
    if (isWordChar(c)) bits |= kWordByte | kNameByte | kTokenByte;
    if (c == '_') bits |= kNameByte | kTokenByte;
    if (c == ':') bits |= kTokenByte;
    classes[static_cast<std::size_t>(byte)] = bits;
  }
  return classes;
}();

constexpr bool hasClass(char byte, ByteClass byteClass) {
  return (kByteClasses[static_cast<unsigned char>(byte)] & byteClass) != 0;
}

}  // namespace wqnprep
