#include "app/preprocess.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>

#include "app/encoded_streams.h"
#include "app/read_ahead.h"
#include "app/spare_bytes.h"
#include "app/write_behind.h"
#include "os/file.h"
#include "symbols/stream_substituter.h"

namespace wqnprep {
namespace {

// Reads start small, so that a short script costs only the pages it fills, and the block
// doubles while reads keep filling it, up to the largest block.
constexpr std::size_t kFirstBlock = std::size_t{16} * 1024;
constexpr std::size_t kLargestBlock = os::kBlockSize;

// Bytes that are never zeroed: a page nobody writes is never touched, and never faults. They are
// taken from those the thread's last file let go of, where those are large enough.
class Buffer {
 public:
  char* data() const { return bytes_.get(); }

  // Makes room for at least `needed` bytes, and at most `most`; the contents are lost. Grows at
  // least twofold, so that inputs arriving in ever larger pieces reallocate only a few times.
  void reserve(std::size_t needed, std::size_t most) {
    if (needed <= size_) return;
    replace(std::min(std::max(needed, 2 * size_), most), nullptr, 0);
  }

  // Takes `size` new bytes, with the `keep` bytes at `from` at their front.
  void replace(std::size_t size, const char* from, std::size_t keep) {
    SpareBytes bytes(size);
    if (keep > 0) std::memcpy(bytes.get(), from, keep);
    bytes_ = std::move(bytes);
    size_ = size;
  }

 private:
  SpareBytes bytes_;
  std::size_t size_ = 0;
};

// The block loop for the rest of a large file, which never waits: the next block is read and the
// output of the one before written on threads of their own while this one is substituted, so
// that the system's copies run on one core while the scan runs on the other. `held` bytes at
// `heldBytes`, the last read, are the first the substituter has yet to consume.
void substituteLargeFile(ByteSource& input, ByteSink& output, FindingScanner* findings,
                         StreamSubstituter& substituter, const char* heldBytes, std::size_t held) {
  const std::size_t heldBack = substituter.heldBackLimit();
  // Blocks larger than the first loop's make fewer handovers between the threads.
  constexpr std::size_t kBlock = 2 * kLargestBlock;
  WriteBehind behind(output, substituter.outputCapacity(heldBack + kBlock));
  ReadAhead ahead(input, heldBack, kBlock);
  for (;;) {
    std::size_t got = 0;
    char* text = nullptr;
    try {
      text = ahead.next(heldBytes, held, got);
    } catch (...) {
      behind.finish();  // what was read before is written, or fails, first
      throw;
    }
    const std::size_t size = held + got;
    if (findings != nullptr) {
      if (got == 0) {
        findings->finish();
      } else {
        findings->scan(text + held, got);
      }
    }
    char* const start = behind.block();
    char* written = start;
    const std::size_t consumed = substituter.substitute(text, size, got == 0, written);
    behind.write(static_cast<std::size_t>(written - start));
    held = size - consumed;
    if (held > (got == 0 ? 0 : heldBack))
      throw std::logic_error("the substitution engine held back more than it may");
    if (got == 0) break;
    heldBytes = text + consumed;
  }
  behind.finish();
}

// The block loop over text the engine reads: UTF-8, or bytes of any single-byte encoding.
void substitute(ByteSource& input, ByteSink& output, FindingScanner* findings) {
  StreamSubstituter substituter;
  // Room for a block and the few bytes held back from the previous one.
  const std::size_t heldBack = substituter.heldBackLimit();
  std::size_t block = kFirstBlock;
  Buffer in;
  in.replace(block + heldBack, nullptr, 0);
  // Output room is sized from what was read, never from a whole block that may never come.
  Buffer out;
  std::size_t held = 0;
  for (;;) {
    std::size_t got = input.read(in.data() + held, block);
    if (findings != nullptr && got > 0) findings->scan(in.data() + held, got);
    bool ended = got == 0;
    // A file that gave less than was asked for has most likely ended: asking again before
    // writing makes a small script one write, not two.
    if (got > 0 && got < block && input.readsNeverWait()) {
      const std::size_t more = input.read(in.data() + held + got, block - got);
      if (findings != nullptr && more > 0) findings->scan(in.data() + held + got, more);
      ended = more == 0;
      got += more;
    }
    const std::size_t size = held + got;
    if (findings != nullptr && ended) findings->finish();
    out.reserve(substituter.outputCapacity(size), substituter.outputCapacity(block + heldBack));
    char* written = out.data();
    const std::size_t consumed = substituter.substitute(in.data(), size, ended, written);
    output.write(out.data(), static_cast<std::size_t>(written - out.data()));
    held = size - consumed;
    // At the end nothing may stay behind; otherwise the next block is read behind what is held,
    // and more than the room left for it would overrun the buffer.
    if (held > (ended ? 0 : heldBack))
      throw std::logic_error("the substitution engine held back more than it may");
    if (ended) return;
    // A file that fills the largest block is large; a small one never starts the threads.
    if (got == kLargestBlock && input.readsNeverWait()) {
      substituteLargeFile(input, output, findings, substituter, in.data() + consumed, held);
      return;
    }
    if (got == block && block < kLargestBlock) {
      block *= 2;
      in.replace(block + heldBack, in.data() + consumed, held);
    } else {
      std::memmove(in.data(), in.data() + consumed, held);
    }
  }
}

}  // namespace

void preprocess(ByteSource& input, ByteSink& output, FindingScanner* findings) {
  std::optional<TextInput> text(std::in_place, input, kFirstBlock);
  if (!text->utf16()) {
    substitute(*text, output, findings);
    return;
  }
  // UTF-16 that does not decode is refused with the output untouched: a file is decoded whole
  // before any of it is written, and then read again. A pipe cannot be read twice; there a fault
  // past the first block ends the run as a read that fails does.
  if (input.rewind()) {
    TextInput whole(input, kLargestBlock);
    const SpareBytes block(kLargestBlock);
    while (whole.read(block.get(), kLargestBlock) != 0) {
    }
    input.rewind();
    text.emplace(input, kFirstBlock);
  }
  if (findings != nullptr) findings->countBytesAsUtf16();
  Utf16Output encoded(output, text->byteOrderMark() == ByteOrderMark::kUtf16Be);
  substitute(*text, encoded, findings);
  encoded.finish();
}

void findFindings(ByteSource& input, FindingScanner& findings) {
  TextInput text(input, kLargestBlock);
  if (text.utf16()) findings.countBytesAsUtf16();
  while (const std::size_t got = text.read(findings.room(kLargestBlock), kLargestBlock)) {
    findings.scanRoom(got);
  }
  findings.finish();
}

}  // namespace wqnprep
