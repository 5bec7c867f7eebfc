#include "text/display_width.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <utility>

namespace wqnprep {
namespace {

// The East Asian Wide (W) and Fullwidth (F) ranges of Unicode 15, merged where only unassigned
// code points lay between them.
constexpr auto kWide = std::to_array<std::pair<char32_t, char32_t>>({
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
    {0x23F0, 0x23F0},   {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},
    {0x2648, 0x2653},   {0x267F, 0x267F},   {0x2693, 0x2693},   {0x26A1, 0x26A1},
    {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},   {0x26CE, 0x26CE},
    {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},
    {0x2728, 0x2728},   {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},
    {0x2757, 0x2757},   {0x2795, 0x2797},   {0x27B0, 0x27B0},   {0x27BF, 0x27BF},
    {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},   {0x2E80, 0x303E},
    {0x3041, 0x3247},   {0x3250, 0x4DBF},   {0x4E00, 0xA4CF},   {0xA960, 0xA97F},
    {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},
    {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x16FE0, 0x16FE4}, {0x16FF0, 0x16FF1},
    {0x17000, 0x18CFF}, {0x18D00, 0x18D08}, {0x1AFF0, 0x1B2FF}, {0x1F004, 0x1F004},
    {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A}, {0x1F200, 0x1F265},
    {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF}, {0x1F7E0, 0x1F7F0}, {0x1F90C, 0x1FAFF},
    {0x20000, 0x3FFFD},
});

// Within the emoji and symbol blocks above, the narrow code points are fewer than the wide
// ones; these are the narrow ones the merged ranges would otherwise count as wide.
constexpr auto kNarrowInside = std::to_array<std::pair<char32_t, char32_t>>({
    {0x1F321, 0x1F32C}, {0x1F336, 0x1F336}, {0x1F37D, 0x1F37D}, {0x1F394, 0x1F39F},
    {0x1F3CB, 0x1F3CE}, {0x1F3D4, 0x1F3DF}, {0x1F3F1, 0x1F3F3}, {0x1F3F5, 0x1F3F7},
    {0x1F43F, 0x1F43F}, {0x1F441, 0x1F441}, {0x1F4FD, 0x1F4FE}, {0x1F53E, 0x1F54A},
    {0x1F54F, 0x1F54F}, {0x1F568, 0x1F579}, {0x1F57B, 0x1F594}, {0x1F597, 0x1F5A3},
    {0x1F5A5, 0x1F5FA}, {0x1F6C6, 0x1F6CB}, {0x1F6CD, 0x1F6CF}, {0x1F6D3, 0x1F6D4},
    {0x1F6E0, 0x1F6EA}, {0x1F6F0, 0x1F6F3}, {0x1F93B, 0x1F93B}, {0x1F946, 0x1F946},
    {0x1FA00, 0x1FA6F},
});

template <std::size_t N>
bool within(const std::array<std::pair<char32_t, char32_t>, N>& ranges, char32_t code) {
  const auto range = std::upper_bound(
      ranges.begin(), ranges.end(), code,
      [](char32_t c, const std::pair<char32_t, char32_t>& r) { return c < r.first; });
  return range != ranges.begin() && code <= std::prev(range)->second;
}

bool isWide(char32_t code) {
  return code >= 0x1100 && within(kWide, code) && !within(kNarrowInside, code);
}

bool isContinuation(unsigned char byte) {
  return (byte & 0xC0U) == 0x80U;
}

// The length of the valid UTF-8 sequence at the start of `bytes` and its code point, or 0.
std::size_t decode(std::string_view bytes, char32_t& code) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  std::size_t length = 0;
  unsigned char low = 0x80;  // the range of the second byte, narrower after some leads
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1FU;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0FU;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07U;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (i == 1 ? (byte < low || byte > high) : !isContinuation(byte)) return 0;
    code = (code << 6U) | (byte & 0x3FU);
  }
  return length;
}

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;

// Whether none of 8 bytes is a tab or has its high bit set: then each is one column.
bool plainAscii(const char* p) {
  std::uint64_t bytes = 0;
  std::memcpy(&bytes, p, sizeof bytes);
  const std::uint64_t tabs = bytes ^ (kOnes * '\t');
  const bool hasTab = ((tabs - kOnes) & ~tabs & (kOnes * 0x80)) != 0;
  return !hasTab && (bytes & (kOnes * 0x80)) == 0;
}

// Display columns, or with `kDisplay` false characters: tabs and wide characters one each.
template <bool kDisplay>
std::uint64_t columnsAfter(std::uint64_t width, std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    if (bytes.size() - i >= 8 && plainAscii(bytes.data() + i)) {
      width += 8, i += 8;
      continue;
    }
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte == '\t' && kDisplay) {
      width = (width / 8 + 1) * 8, ++i;
    } else if (byte < 0x80) {
      ++width, ++i;
    } else {
      char32_t code = 0;
      const std::size_t length = decode(bytes.substr(i), code);
      width += kDisplay && length > 0 && isWide(code) ? 2 : 1;
      i += std::max<std::size_t>(length, 1);
    }
  }
  return width;
}

}  // namespace

std::uint64_t displayWidthAfter(std::uint64_t width, std::string_view bytes) {
  return columnsAfter<true>(width, bytes);
}

std::uint64_t characterCountAfter(std::uint64_t count, std::string_view bytes) {
  return columnsAfter<false>(count, bytes);
}

std::size_t characterBoundary(std::string_view text, std::size_t at) {
  for (std::size_t back = 1; back <= 3 && back <= at; ++back) {
    const std::size_t start = at - back;
    if (isContinuation(static_cast<unsigned char>(text[start]))) continue;
    char32_t code = 0;
    const std::size_t length = decode(text.substr(start), code);
    return length > back ? start : at;
  }
  return at;
}

}  // namespace wqnprep
