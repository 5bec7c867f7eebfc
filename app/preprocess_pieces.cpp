#include "app/preprocess_pieces.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <utility>

#include "app/file_pieces.h"
#include "app/preprocess.h"
#include "app/spare_bytes.h"
#include "os/file.h"
#include "symbols/stream_substituter.h"
#include "text/word_chars.h"

namespace wqnprep {
namespace {

// Reads small enough that a block, and its output, stay in a processor's cache until written.
constexpr std::size_t kBlock = os::kBlockSize;
// Output a thread holds while the pieces before its own are written; then it waits for them, so
// that memory stays bounded whatever the file holds.
constexpr std::size_t kMostHeld = std::size_t{1} * 1024 * 1024;

// A piece may end after a byte that no token holds: a token never spans it, and it ends a word,
// as the start of the text does for a new engine.
bool mayCutAfter(char byte) {
  return !hasClass(byte, kTokenByte);
}

struct Piece {
  std::size_t index = 0;
  std::uint64_t start = 0;
  std::uint64_t end = kToTheEnd;
};

// Which piece a thread takes next, cut as it is taken, and whose output is written: a piece's
// turn comes once every piece before it is written. Nothing after a piece that failed is written.
class PieceTurns {
 public:
  PieceTurns(SeekableSource& input, std::uint64_t pieceSize)
      : input_(input), pieceSize_(pieceSize), window_(kCutWindow) {}

  // The next piece, or false when every piece is taken or one has failed.
  bool take(Piece& piece) {
    const std::lock_guard lock(mutex_);
    if (start_ == kToTheEnd || failed_ != kNone) return false;
    piece = {taken_++, start_, endOfPieceFrom(start_)};
    start_ = piece.end;
    return true;
  }
  bool isCurrent(std::size_t piece) const { return current_.load() == piece; }
  // Waits until `piece` is the one being written; false when it is given up, as one before it
  // failed.
  bool waitForTurn(std::size_t piece) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return current_.load() == piece || piece > failed_; });
    return piece <= failed_;
  }
  // `piece`, whose turn it was, is written, or failed with `error` after what it wrote.
  void finished(std::size_t piece, const std::exception_ptr& error) {
    {
      const std::lock_guard lock(mutex_);
      if (error) {
        fail(piece, error);
      } else if (piece == current_.load()) {
        current_.store(piece + 1);
      }
    }
    changed_.notify_all();
  }
  // What failed, once every thread has ended.
  std::exception_ptr error() const { return error_; }

 private:
  static constexpr std::size_t kNone = SIZE_MAX;

  // After the first byte that no token holds past a piece's size from `start` (or past a multiple
  // of it after that, where there is none near it); the end of the file when too little is
  // left. Where the bytes looked at cannot be read, the piece runs to the end: its own reads then
  // fail where a single pass would, after writing what comes before.
  std::uint64_t endOfPieceFrom(std::uint64_t start) {
    try {
      for (std::uint64_t at = start + pieceSize_; at + pieceSize_ / 2 < input_.size();
           at += pieceSize_) {
        const char* const window = window_.get();
        const char* const end = window + input_.readAt(window_.get(), kCutWindow, at);
        const char* const cut = std::find_if(window, end, mayCutAfter);
        if (cut == end) continue;
        const std::uint64_t next = at + static_cast<std::uint64_t>(cut - window) + 1;
        return next < input_.size() ? next : kToTheEnd;  // the last piece ends the text
      }
    } catch (const std::exception&) {
    }
    return kToTheEnd;
  }
  void fail(std::size_t piece, const std::exception_ptr& error) {
    if (failed_ != kNone && piece >= failed_) return;  // the first failure in the file's order
    failed_ = piece;
    error_ = error;
  }

  SeekableSource& input_;
  const std::uint64_t pieceSize_;
  const SpareBytes window_;  // where cuts are looked for
  std::mutex mutex_;
  std::condition_variable changed_;
  std::uint64_t start_ = 0;  // of the next piece to take
  std::size_t taken_ = 0;
  std::atomic<std::size_t> current_ = 0;  // the piece whose output is written as it comes
  std::size_t failed_ = kNone;
  std::exception_ptr error_;
};

// A thread's substitution, which takes pieces in turn until none is left. Its output is written
// as it comes while its piece is the current one, and held until then otherwise.
class PieceSubstituter {
 public:
  PieceSubstituter(PieceTurns& turns, SeekableSource& input, ByteSink& output)
      : turns_(turns),
        input_(input),
        output_(output),
        heldBack_(StreamSubstituter().heldBackLimit()),
        in_(heldBack_ + kBlock),
        outRoom_(kMostHeld + StreamSubstituter().outputCapacity(heldBack_ + kBlock)),
        out_(outRoom_) {}

  void substitutePieces() {
    Piece piece;
    while (turns_.take(piece)) {
      std::exception_ptr error;
      try {
        substitutePiece(piece);
      } catch (...) {
        error = std::current_exception();
      }
      try {
        if (turns_.waitForTurn(piece.index)) writeHeld();  // what came before a failure too
      } catch (...) {
        if (!error) error = std::current_exception();
      }
      turns_.finished(piece.index, error);
    }
  }

 private:
  void substitutePiece(const Piece& piece) {
    if (piece.index > 0) expectCutAfter(input_, piece.start, mayCutAfter);
    StreamSubstituter substituter;
    std::size_t held = 0;
    for (std::uint64_t at = piece.start;;) {
      const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, piece.end - at));
      const std::size_t got = wanted == 0 ? 0 : input_.readAt(in_.get() + held, wanted, at);
      at += got;
      const bool last = piece.end == kToTheEnd;
      if (got == 0 && !last && at < piece.end) changedWhileRead(input_);  // it shrank
      const bool atEnd = got == 0 && last;
      const std::size_t size = held + got;
      if (held_ + substituter.outputCapacity(size) > outRoom_) {
        if (!turns_.waitForTurn(piece.index)) return;  // given up
        writeHeld();
      }
      char* written = out_.get() + held_;
      const std::size_t consumed = substituter.substitute(in_.get(), size, atEnd, written);
      held_ = static_cast<std::size_t>(written - out_.get());
      if (turns_.isCurrent(piece.index)) writeHeld();
      held = size - consumed;
      // More would overrun the room left before the next block.
      if (held > (atEnd ? 0 : heldBack_))
        throw std::logic_error("the substitution engine held back more than it may");
      if (atEnd) return;
      if (!last && at == piece.end) {
        // The piece was cut after a byte that no token holds, so all of it is consumed.
        if (held != 0 || !mayCutAfter(in_.get()[size - 1])) changedWhileRead(input_);
        return;
      }
      std::memmove(in_.get(), in_.get() + consumed, held);
    }
  }
  // Never again what was handed to a write that failed: the output may not take any more.
  void writeHeld() {
    if (const std::size_t size = std::exchange(held_, 0)) output_.write(out_.get(), size);
  }

  PieceTurns& turns_;
  SeekableSource& input_;
  ByteSink& output_;
  const std::size_t heldBack_;
  const SpareBytes in_;  // held back bytes, then a block read
  const std::size_t outRoom_;
  const SpareBytes out_;
  std::size_t held_ = 0;  // output bytes not yet written
};

}  // namespace

bool worthPreprocessingInPieces(const InputFile& input) {
  // Standard input is read from where it stands, which reads at offsets would not respect.
  return !input.isStandardInput() && input.info().regular && input.info().size >= 4 * kPiece;
}

void preprocessInPieces(SeekableSource& input, ByteSink& output, std::uint64_t pieceSize,
                        bool twoThreads) {
  if (hasWideByteOrderMark(input)) {
    input.rewind();  // where reads at offsets left it is the system's choice
    preprocess(input, output);
    return;
  }
  PieceTurns turns(input, pieceSize);
  PieceSubstituter mine(turns, input, output);  // before the thread: what fails here is raised
  std::thread other;
  try {
    if (twoThreads) {
      other = std::thread([&] {
        try {
          PieceSubstituter(turns, input, output).substitutePieces();
        } catch (...) {
          // No room for a second thread's buffers: the other takes every piece.
        }
      });
    }
  } catch (const std::system_error&) {
    // No second thread to be had: this one takes every piece.
  }
  mine.substitutePieces();
  if (other.joinable()) other.join();
  if (turns.error()) std::rethrow_exception(turns.error());
}

}  // namespace wqnprep
