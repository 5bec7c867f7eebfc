#include "app/preprocess.h"

#include <cstring>
#include <stdexcept>
#include <vector>

#include "symbols/stream_substituter.h"

namespace wqnprep {
namespace {

constexpr std::size_t kBlockSize = std::size_t{128} * 1024;

}  // namespace

void preprocess(ByteSource& input, ByteSink& output, FindingScanner* findings) {
  StreamSubstituter substituter;
  // Room for a block and the few bytes held back from the previous one.
  std::vector<char> in(kBlockSize + substituter.heldBackLimit());
  std::vector<char> out(substituter.outputCapacity(in.size()));
  std::size_t held = 0;
  for (;;) {
    const std::size_t got = input.read(in.data() + held, kBlockSize);
    const std::size_t size = held + got;
    if (findings != nullptr) {
      if (got == 0) {
        findings->finish();
      } else {
        findings->scan(in.data() + held, got);
      }
    }
    char* written = out.data();
    const std::size_t consumed = substituter.substitute(in.data(), size, got == 0, written);
    output.write(out.data(), static_cast<std::size_t>(written - out.data()));
    held = size - consumed;
    // At the end nothing may stay behind; otherwise the next block is read behind what is held,
    // and more than the room left for it would overrun the buffer.
    if (held > (got == 0 ? 0 : substituter.heldBackLimit()))
      throw std::logic_error("the substitution engine held back more than it may");
    if (got == 0) return;
    std::memmove(in.data(), in.data() + consumed, held);
  }
}

}  // namespace wqnprep
