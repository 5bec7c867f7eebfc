// UTF-16 text for tests, as the compiler encodes it, so that the program's transcoding is
// checked against something other than itself.
#pragma once

#include <string>
#include <string_view>

namespace wqnprep::testing {

inline std::string utf16(std::u16string_view text, bool bigEndian) {
  std::string bytes;
  for (const char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

inline std::string le(std::u16string_view text) {
  return utf16(text, false);
}

inline std::string be(std::u16string_view text) {
  return utf16(text, true);
}

}  // namespace wqnprep::testing
