// Scripts saved as UTF-16 through a preprocessing step made for UTF-8: the input decoded as it is
// read, the output encoded back into the input's encoding as it is written. Other inputs pass as
// they are.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "app/byte_stream.h"
#include "app/spare_bytes.h"
#include "text/utf16.h"

namespace wqnprep {

// An input as text: its first bytes looked at once for a byte-order mark; UTF-16 handed on as
// UTF-8, UTF-32 refused, anything else handed on as it is. UTF-16 is read in blocks, each decoded
// whole before any of it is handed on, so that a fault raises as a read that fails does, before
// anything of its block is written; from a file that never waits, the faults found only at the
// end (half a code unit, a last high surrogate) are found with the last block.
class TextInput : public ByteSource {
 public:
  // Reads the first bytes of `raw`, in a read of up to `firstRead` bytes (more only while they
  // begin like a byte-order mark and more may come).
  TextInput(ByteSource& raw, std::size_t firstRead);

  // kNone, kUtf16Le or kUtf16Be.
  ByteOrderMark byteOrderMark() const { return mark_; }
  bool utf16() const { return decoder_.has_value(); }

  std::size_t read(char* buffer, std::size_t size) override;
  const std::string& name() const override { return raw_.name(); }
  bool readsNeverWait() const override { return raw_.readsNeverWait(); }

 private:
  std::size_t handOn(const char* bytes, std::size_t end, char* buffer, std::size_t size);
  void readToEndOfBlock();
  void decodeHeld();
  [[noreturn]] void refuseUndecodable(const UndecodableUtf16& fault) const;

  ByteSource& raw_;
  SpareBytes held_;  // bytes read: to_ of them, handed on from from_ unless UTF-16
  std::size_t capacity_;
  std::size_t to_ = 0;
  std::size_t from_ = 0;
  bool ended_ = false;
  ByteOrderMark mark_ = ByteOrderMark::kNone;
  std::optional<Utf16Decoder> decoder_;
  SpareBytes decoded_;  // UTF-16 only: decodedTo_ bytes, handed on from from_
  std::size_t decodedTo_ = 0;
};

// What is written, UTF-8, written on as UTF-16 in one byte order.
class Utf16Output : public ByteSink {
 public:
  Utf16Output(ByteSink& output, bool bigEndian) : output_(output), encoder_(bigEndian) {}

  void write(const char* data, std::size_t size) override;
  // At the end: a character left cut is the engine's fault.
  void finish() const;

 private:
  ByteSink& output_;
  Utf16Encoder encoder_;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = 0;
};

}  // namespace wqnprep
