#include "platform/wqn_guid.h"

namespace WQN {
namespace {

std::array<std::uint8_t, 16> bigEndianBytes(std::uint64_t high, std::uint64_t low) {
  std::array<std::uint8_t, 16> bytes{};
  for (std::size_t i = 0; i < 8; ++i) {
    bytes[i] = static_cast<std::uint8_t>(high >> (56 - 8 * i));
    bytes[8 + i] = static_cast<std::uint8_t>(low >> (56 - 8 * i));
  }
  return bytes;
}

}  // namespace

std::string WQNGUIDBase::toString() const {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(36);
  for (std::size_t i = 0; i < bytes_.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text.push_back('-');
    text.push_back(kDigits[bytes_[i] >> 4]);
    text.push_back(kDigits[bytes_[i] & 0x0F]);
  }
  return text;
}

WQNGUID::WQNGUID(std::int64_t high, std::int64_t low)
    : WQNGUIDBase(
          bigEndianBytes(static_cast<std::uint64_t>(high), static_cast<std::uint64_t>(low))) {}

}  // namespace WQN
