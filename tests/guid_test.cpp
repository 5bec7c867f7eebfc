#include "platform/wqn_guid.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct GuidCase {
  std::uint64_t high;
  std::uint64_t low;
  const char* text;
};

class GuidText : public testing::TestWithParam<GuidCase> {};

TEST_P(GuidText, IsCanonicalUppercaseHighThenLow) {
  const WQN::WQNGUID guid(static_cast<std::int64_t>(GetParam().high),
                          static_cast<std::int64_t>(GetParam().low));
  const WQN::WQNGUIDBase& base = guid;
  EXPECT_EQ(base.toString(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, GuidText,
                         testing::Values(GuidCase{0, 0, "00000000-0000-0000-0000-000000000000"},
                                         GuidCase{~0ULL, ~0ULL,
                                                  "FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF"},
                                         GuidCase{0x0123456789ABCDEFULL, 0xFEDCBA9876543210ULL,
                                                  "01234567-89AB-CDEF-FEDC-BA9876543210"},
                                         GuidCase{1, 0, "00000000-0000-0001-0000-000000000000"},
                                         GuidCase{0x8C3E7755D5D12B4FULL, 0xBA73E73F13C140D6ULL,
                                                  "8C3E7755-D5D1-2B4F-BA73-E73F13C140D6"}));

}  // namespace
