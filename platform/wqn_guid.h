// The platform's GUID type, as far as this program uses it: built from two 64-bit integers and
// turned into text.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace WQN {

class WQNGUIDBase {
 public:
  // The canonical 8-4-4-4-12 form in uppercase hexadecimal, without braces.
  std::string toString() const;

 protected:
  explicit WQNGUIDBase(const std::array<std::uint8_t, 16>& bytes) : bytes_(bytes) {}

 private:
  std::array<std::uint8_t, 16> bytes_;
};

class WQNGUID : public WQNGUIDBase {
 public:
  // `high` gives the first 16 hexadecimal digits and `low` the last 16, most significant first;
  // both are taken as bit patterns, so negative values are fine.
  WQNGUID(std::int64_t high, std::int64_t low);
};

}  // namespace WQN
