// Sixteen byte lanes in a NEON register, which every 64-bit ARM processor has, for the scans of
// text/scan_generic.h.
#pragma once

#include <arm_neon.h>

#include <cstddef>
#include <cstdint>

namespace wqnprep::scan_neon {

struct Bytes {
  static constexpr std::ptrdiff_t kWidth = 16;
  // NEON has no byte mask move: narrowing each 16-bit lane by four bits leaves four bits per byte
  // lane in 64 bits.
  static constexpr int kBitsPerLane = 4;

  uint8x16_t lanes;

  static Bytes load(const char* p) { return {vld1q_u8(reinterpret_cast<const std::uint8_t*>(p))}; }
  static Bytes loadAligned(const char* p) { return load(p); }
  static Bytes repeat(char byte) { return {vdupq_n_u8(static_cast<std::uint8_t>(byte))}; }

  friend Bytes operator==(Bytes a, Bytes b) { return {vceqq_u8(a.lanes, b.lanes)}; }
  friend Bytes operator&(Bytes a, Bytes b) { return {vandq_u8(a.lanes, b.lanes)}; }
  friend Bytes operator|(Bytes a, Bytes b) { return {vorrq_u8(a.lanes, b.lanes)}; }
  // Lane by lane, wrapping around.
  friend Bytes operator-(Bytes a, Bytes b) { return {vsubq_u8(a.lanes, b.lanes)}; }

  template <char First, char Last>
  Bytes within() const {
    return {vandq_u8(vcgeq_u8(lanes, vdupq_n_u8(static_cast<std::uint8_t>(First))),
                     vcleq_u8(lanes, vdupq_n_u8(static_cast<std::uint8_t>(Last))))};
  }

  std::uint64_t mask() const {
    return vget_lane_u64(vreinterpret_u64_u8(vshrn_n_u16(vreinterpretq_u16_u8(lanes), 4)), 0);
  }
  // The sum of the lanes, each unsigned.
  unsigned laneSum() const { return vaddlvq_u8(lanes); }
};

}  // namespace wqnprep::scan_neon
