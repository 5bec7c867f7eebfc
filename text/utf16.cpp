#include "text/utf16.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace wqnprep {
namespace {

struct Mark {
  std::string_view bytes;
  ByteOrderMark mark;
};

// The longer marks first: FF FE begins FF FE 00 00.
constexpr std::array<Mark, 4> kMarks{
    {{std::string_view("\xFF\xFE\0\0", 4), ByteOrderMark::kUtf32Le},
     {std::string_view("\0\0\xFE\xFF", 4), ByteOrderMark::kUtf32Be},
     {"\xFF\xFE", ByteOrderMark::kUtf16Le},
     {"\xFE\xFF", ByteOrderMark::kUtf16Be}}};

constexpr bool isHighSurrogate(std::uint32_t unit) {
  return (unit & 0xFC00) == 0xD800;
}

constexpr bool isLowSurrogate(std::uint32_t unit) {
  return (unit & 0xFC00) == 0xDC00;
}

char* putUtf8(std::uint32_t codePoint, char* out) {
  if (codePoint < 0x80) {
    *out++ = static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    *out++ = static_cast<char>(0xC0 | codePoint >> 6);
    *out++ = static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    *out++ = static_cast<char>(0xE0 | codePoint >> 12);
    *out++ = static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | codePoint >> 18);
    *out++ = static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
    *out++ = static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (codePoint & 0x3F));
  }
  return out;
}

// The length of the UTF-8 sequence `lead` begins.
std::size_t sequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xC0) throw std::logic_error("UTF-8 to encode as UTF-16 is not valid");
  if (lead < 0xE0) return 2;
  return lead < 0xF0 ? 3 : 4;
}

// The code point of a sequence of two bytes or more.
std::uint32_t codePointOf(const unsigned char* sequence, std::size_t length) {
  std::uint32_t codePoint = sequence[0] & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) codePoint = codePoint << 6 | (sequence[i] & 0x3F);
  return codePoint;
}

std::string unpaired(const char* which, std::uint64_t offset) {
  return std::string("an unpaired ") + which + " surrogate at offset " + std::to_string(offset);
}

}  // namespace

std::optional<ByteOrderMark> byteOrderMarkOf(std::string_view start, bool atEnd) {
  for (const Mark& mark : kMarks) {
    if (start.substr(0, mark.bytes.size()) == mark.bytes) return mark.mark;
    if (!atEnd && mark.bytes.substr(0, start.size()) == start) return std::nullopt;
  }
  return ByteOrderMark::kNone;
}

const char* encodingName(ByteOrderMark mark) {
  switch (mark) {
    case ByteOrderMark::kUtf16Le:
      return "UTF-16LE";
    case ByteOrderMark::kUtf16Be:
      return "UTF-16BE";
    case ByteOrderMark::kUtf32Le:
      return "UTF-32LE";
    case ByteOrderMark::kUtf32Be:
      return "UTF-32BE";
    case ByteOrderMark::kNone:
      break;
  }
  return "UTF-8 or bytes";
}

std::string markBytes(ByteOrderMark mark) {
  std::string hex;
  for (const Mark& known : kMarks) {
    if (known.mark != mark) continue;
    for (const char byte : known.bytes) {
      char digits[4];
      (void)std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned char>(byte));
      hex += hex.empty() ? "" : " ";
      hex += digits;
    }
  }
  return hex;
}

std::size_t Utf16Decoder::decode(const char* in, std::size_t size, char* out) {
  char* const start = out;
  const auto* const begin = reinterpret_cast<const unsigned char*>(in);
  const auto* const end = begin + size;
  const auto* p = begin;
  // Each code unit with the offset of its first byte.
  const bool bigEndian = bigEndian_;
  const auto take = [&](unsigned first, unsigned second, std::uint64_t at) {
    const std::uint32_t unit = bigEndian ? (first << 8 | second) : (second << 8 | first);
    if (highSurrogate_ != 0) {
      if (!isLowSurrogate(unit)) throw UndecodableUtf16(unpaired("high", highOffset_));
      out = putUtf8(0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00), out);
      highSurrogate_ = 0;
    } else if (isHighSurrogate(unit)) {
      highSurrogate_ = unit;
      highOffset_ = at;
    } else if (isLowSurrogate(unit)) {
      throw UndecodableUtf16(unpaired("low", at));
    } else {
      out = putUtf8(unit, out);
    }
  };
  if (pendingByte_ >= 0 && p < end) {
    take(static_cast<unsigned>(pendingByte_), *p++, offset_ - 1);
    pendingByte_ = -1;
  }
  // ASCII, most of a script, goes through a loop of its own.
  const std::size_t highByte = bigEndian ? 0 : 1;
  while (end - p >= 2) {
    if (highSurrogate_ == 0) {
      while (end - p >= 2 && p[highByte] == 0 && p[1 - highByte] < 0x80) {
        *out++ = static_cast<char>(p[1 - highByte]);
        p += 2;
      }
      if (end - p < 2) break;
    }
    take(p[0], p[1], offset_ + static_cast<std::uint64_t>(p - begin));
    p += 2;
  }
  if (p < end) pendingByte_ = *p;
  offset_ += size;
  return static_cast<std::size_t>(out - start);
}

void Utf16Decoder::finish() const {
  if (pendingByte_ >= 0) {
    throw UndecodableUtf16("an odd number of bytes, the last at offset " +
                           std::to_string(offset_ - 1) + " being half a code unit");
  }
  if (highSurrogate_ != 0) throw UndecodableUtf16(unpaired("high", highOffset_));
}

std::size_t Utf16Encoder::encode(const char* in, std::size_t size, char* out) {
  char* const start = out;
  // Where each byte of a code unit goes, in locals: writes through `out` could otherwise be
  // taken to change the members.
  const std::size_t highByte = bigEndian_ ? 0 : 1;
  const auto put = [&](std::uint32_t unit) {
    out[highByte] = static_cast<char>(unit >> 8);
    out[1 - highByte] = static_cast<char>(unit & 0xFF);
    out += 2;
  };
  const auto putCodePoint = [&](std::uint32_t codePoint) {
    if (codePoint < 0x10000) {
      put(codePoint);
    } else {
      put(0xD800 + ((codePoint - 0x10000) >> 10));
      put(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
    }
  };
  const auto* p = reinterpret_cast<const unsigned char*>(in);
  const auto* const end = p + size;
  if (pendingSize_ > 0) {
    const std::size_t length = sequenceLength(pending_[0]);
    const std::size_t more = std::min(length - pendingSize_, static_cast<std::size_t>(end - p));
    std::copy_n(p, more, pending_ + pendingSize_);
    p += more;
    pendingSize_ += more;
    if (pendingSize_ < length) return 0;
    putCodePoint(codePointOf(pending_, length));
    pendingSize_ = 0;
  }
  while (p < end) {
    if (*p < 0x80) {
      put(*p++);
      continue;
    }
    const std::size_t length = sequenceLength(*p);
    if (static_cast<std::size_t>(end - p) < length) {
      pendingSize_ = static_cast<std::size_t>(end - p);
      std::copy_n(p, pendingSize_, pending_);
      break;
    }
    putCodePoint(codePointOf(p, length));
    p += length;
  }
  return static_cast<std::size_t>(out - start);
}

std::uint64_t utf16ByteCountAfter(std::uint64_t count, std::string_view utf8) {
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) count += byte >= 0xF0 ? 4 : 2;
  }
  return count;
}

std::uint64_t utf16UnitCountAfter(std::uint64_t count, std::string_view utf8) {
  return count + utf16ByteCountAfter(0, utf8) / 2;
}

}  // namespace wqnprep
