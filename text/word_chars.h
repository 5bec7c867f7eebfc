// What counts as part of a word when tokens are matched.
#pragma once

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

}  // namespace wqnprep
