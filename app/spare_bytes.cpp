#include "app/spare_bytes.h"

#include <array>
#include <utility>

// Under AddressSanitizer, bytes let go of and those past what was asked for stay unaddressable,
// so that a spare hides no overrun and no use after it was let go of.
#if defined(__has_include)
#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>  // its macros do nothing unless AddressSanitizer is on
#endif
#endif
#ifndef ASAN_POISON_MEMORY_REGION
#define ASAN_POISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#endif

namespace wqnprep {
namespace {

struct Spare {
  std::unique_ptr<char[]> bytes;
  std::size_t size = 0;
};

// As many as one file's block loop holds at once: the text read and its output, and for UTF-16
// what is read and decoded, twice over when a file is decoded whole before it is read again.
thread_local std::array<Spare, 8> spares;

}  // namespace

SpareBytes::SpareBytes(std::size_t size) {
  Spare* best = nullptr;
  for (Spare& spare : spares) {
    if (spare.bytes && spare.size >= size && (best == nullptr || spare.size < best->size))
      best = &spare;
  }
  if (best != nullptr) {
    bytes_ = std::move(best->bytes);
    size_ = best->size;
    ASAN_UNPOISON_MEMORY_REGION(bytes_.get(), size);
    return;
  }
  bytes_ = std::make_unique_for_overwrite<char[]>(size);
  size_ = size;
}

SpareBytes& SpareBytes::operator=(SpareBytes&& other) noexcept {
  if (this != &other) {
    letGo();
    bytes_ = std::move(other.bytes_);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

void SpareBytes::letGo() noexcept {
  if (!bytes_) return;
  Spare* slot = nullptr;
  for (Spare& spare : spares) {
    if (!spare.bytes) {
      slot = &spare;
      break;
    }
    if (spare.size < size_ && (slot == nullptr || spare.size < slot->size)) slot = &spare;
  }
  // With every slot taken by larger bytes, these are let go of for good.
  if (slot != nullptr) {
    ASAN_POISON_MEMORY_REGION(bytes_.get(), size_);
    *slot = {std::move(bytes_), size_};
  }
  bytes_.reset();
  size_ = 0;
}

}  // namespace wqnprep
