// The name-byte class as the vector scans test it, sixteen or more bytes at once: a digit, a
// letter once bit 0x20 has folded upper case onto lower case, or the underscore. Checked against
// the byte class table for every byte value, so the two cannot drift apart.
#pragma once

#include "text/word_chars.h"

namespace wqnprep::name_byte_rule {

inline constexpr char kDigitFirst = '0';
inline constexpr char kDigitLast = '9';
inline constexpr char kCaseBit = 0x20;
inline constexpr char kLetterFirst = 'a';  // after folding
inline constexpr char kLetterLast = 'z';
inline constexpr char kOther = '_';

// The rule on one byte, as the vector code applies it to each lane (unsigned ranges: bytes of
// 128 and above stay above every range after folding).
constexpr bool holds(unsigned char byte) {
  const auto folded = static_cast<unsigned char>(byte | kCaseBit);
  return (byte >= kDigitFirst && byte <= kDigitLast) ||
         (folded >= kLetterFirst && folded <= kLetterLast) || byte == kOther;
}

constexpr bool matchesByteClasses() {
  for (int byte = 0; byte < 256; ++byte) {
    if (holds(static_cast<unsigned char>(byte)) != hasClass(static_cast<char>(byte), kNameByte)) {
      return false;
    }
  }
  return true;
}
static_assert(matchesByteClasses(),
              "the vector name-byte rule no longer matches kNameByte in text/word_chars.h: "
              "change the rule's ranges together with the class");

}  // namespace wqnprep::name_byte_rule
