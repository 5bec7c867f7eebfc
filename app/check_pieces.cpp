#include "app/check_pieces.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "app/file_pieces.h"
#include "app/preprocess.h"
#include "os/file.h"

namespace wqnprep {
namespace {

// Pieces this large cost little to set up (a read to find where to cut, a findings pass to
// restart) next to checking them, and are small enough for the faster thread to take more of
// them when one processor runs slower than the other.
constexpr std::uint64_t kPiece = std::uint64_t{4} * 1024 * 1024;
// Findings of a piece held until those before it are told; then its thread waits, so that
// memory stays bounded whatever the file holds.
constexpr std::size_t kMostHeld = 4096;

// Where the pieces of `input` begin: at 0, then after a line end past each multiple of kPiece
// that ends a line which cannot silence the next one (where there is none within kCutWindow, the
// piece goes on to the next multiple). Only 0 for a file with a UTF-16 or UTF-32 byte-order mark:
// such a file is decoded as it is read, in one pass.
std::vector<std::uint64_t> piecesOf(InputFile& input) {
  std::vector<std::uint64_t> starts{0};
  if (hasWideByteOrderMark(input)) return starts;
  const auto room = std::make_unique_for_overwrite<char[]>(kCutWindow);
  for (std::uint64_t at = kPiece; at + kPiece / 2 < input.info().size; at += kPiece) {
    const std::string_view window(room.get(), input.readAt(room.get(), kCutWindow, at));
    for (std::size_t feed = window.find('\n'); feed != std::string_view::npos;) {
      const std::size_t next = window.find('\n', feed + 1);
      if (next == std::string_view::npos) break;
      if (!FindingScanner::maySilenceTheNextLine(window.substr(feed + 1, next - feed - 1))) {
        starts.push_back(at + next + 1);
        break;
      }
      feed = next;
    }
  }
  return starts;
}

// The findings of the pieces, told in the order of the pieces, each piece's lines counted on
// from where the pieces before it ended; held until then. Also which piece a thread takes next.
class PieceFindings {
 public:
  PieceFindings(FindingPrinter& printer, std::size_t pieces)
      : printer_(printer), count_(pieces), held_(pieces), done_(pieces), feeds_(pieces) {}

  // The next piece to check, or none (count) when every piece is taken or one has failed.
  std::size_t take() {
    const std::lock_guard lock(mutex_);
    return next_ < count_ && next_ <= failed_ ? next_++ : count_;
  }
  // A finding of `piece`, its line counted within the piece.
  void hear(std::size_t piece, const Finding& finding) {
    std::unique_lock lock(mutex_);
    if (piece > failed_) return;
    held_[piece].push_back(finding);
    if (piece != current_ && held_[piece].size() >= kMostHeld) {
      changed_.wait(lock, [&] { return piece == current_ || piece > failed_; });
    }
    if (piece == current_) tellHeld();
  }
  // `piece` is checked: it had `feeds` line feeds, or failed with `error` after the findings it
  // told. Nothing after a piece that failed is told.
  void finished(std::size_t piece, std::uint64_t feeds, const std::exception_ptr& error) {
    const std::lock_guard lock(mutex_);
    done_[piece] = 1;
    feeds_[piece] = feeds;
    if (error) fail(piece, error);
    try {
      while (current_ < count_ && done_[current_] != 0 && current_ != failed_) {
        lines_ += feeds_[current_++];
        if (current_ < count_) tellHeld();
      }
    } catch (...) {
      fail(current_, std::current_exception());  // telling the next piece's findings failed
    }
    changed_.notify_all();
  }
  // What failed outside any piece's pass: nothing after the pieces told is told.
  void abandon(const std::exception_ptr& error) {
    const std::lock_guard lock(mutex_);
    fail(current_, error);
    changed_.notify_all();
  }
  // Whether `piece` is given up, as one before it failed: its thread may stop reading it.
  bool givenUp(std::size_t piece) {
    const std::lock_guard lock(mutex_);
    return piece > failed_;
  }
  // What failed, once every thread has ended.
  std::exception_ptr error() const { return error_; }

 private:
  void fail(std::size_t piece, const std::exception_ptr& error) {
    if (piece >= failed_) return;  // the first failure in the file's order is the one
    failed_ = piece;
    error_ = error;
  }
  void tellHeld() {
    for (Finding& finding : held_[current_]) {
      finding.line += lines_;
      printer_.print(finding);
    }
    held_[current_].clear();
  }

  FindingPrinter& printer_;
  const std::size_t count_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::vector<Finding>> held_;
  std::vector<char> done_;
  std::vector<std::uint64_t> feeds_;
  std::size_t next_ = 0;     // to take
  std::size_t current_ = 0;  // told as they come: every piece before it is told
  std::uint64_t lines_ = 0;  // line feeds before current_
  std::size_t failed_ = SIZE_MAX;
  std::exception_ptr error_;
};

// Scans the bytes of `input` from `from` up to `to` (or its end), then finishes, unless `stop`
// says so first.
void scanRange(InputFile& input, std::uint64_t from, std::uint64_t to, FindingScanner& scanner,
               const std::function<bool()>& stop) {
  for (std::uint64_t at = from; at < to;) {
    if (stop()) return;
    const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(os::kBlockSize, to - at));
    const std::size_t got = input.readAt(scanner.room(wanted), wanted, at);
    if (got == 0) break;  // the file is shorter than it was
    scanner.scanRoom(got);
    at += got;
  }
  scanner.finish();
}

// A thread's findings pass, which takes pieces in turn until none is left.
class PieceChecker {
 public:
  PieceChecker(PieceFindings& pieces, const Settings& settings)
      : pieces_(pieces),
        scanner_([this](const Finding& finding) { pieces_.hear(piece_, finding); }, settings.kinds,
                 settings.columnUnit) {}
  PieceChecker(const PieceChecker&) = delete;
  PieceChecker& operator=(const PieceChecker&) = delete;

  void checkPieces(InputFile& input, const std::vector<std::uint64_t>& starts) {
    while ((piece_ = pieces_.take()) < starts.size()) {
      std::exception_ptr error;
      try {
        scanner_.restart();
        if (piece_ > 0) {
          expectCutAfter(input, starts[piece_], [](char byte) { return byte == '\n'; });
          scanner_.startMidInput();
        }
        const std::uint64_t end = piece_ + 1 < starts.size() ? starts[piece_ + 1] : kToTheEnd;
        scanRange(input, starts[piece_], end, scanner_, [this] { return pieces_.givenUp(piece_); });
      } catch (...) {
        error = std::current_exception();
      }
      pieces_.finished(piece_, scanner_.line() - 1, error);
    }
  }

 private:
  PieceFindings& pieces_;
  std::size_t piece_ = 0;  // in hand
  FindingScanner scanner_;
};

}  // namespace

bool worthCheckingInPieces(const InputFile& input) {
  // Standard input is read from where it stands, which reads at offsets would not respect.
  return !input.isStandardInput() && input.info().regular && input.info().size >= 2 * kPiece;
}

void checkInPieces(InputFile& input, FindingPrinter& printer, FindingScanner& findings,
                   const Settings& settings) {
  const std::vector<std::uint64_t> starts = piecesOf(input);
  if (starts.size() == 1) {
    input.rewind();  // where reads at offsets left it is the system's choice
    findFindings(input, findings);
    return;
  }
  PieceFindings pieces(printer, starts.size());
  PieceChecker checker(pieces, settings);  // before the thread: what fails here is raised
  std::thread other;
  try {
    other = std::thread([&] {
      std::optional<PieceChecker> mine;
      try {
        mine.emplace(pieces, settings);
      } catch (...) {
        return;  // no findings pass to be had on this thread: the other takes every piece
      }
      try {
        mine->checkPieces(input, starts);
      } catch (...) {
        pieces.abandon(std::current_exception());
      }
    });
  } catch (const std::system_error&) {
    // No second thread to be had: this one takes every piece.
  }
  try {
    checker.checkPieces(input, starts);
  } catch (...) {
    pieces.abandon(std::current_exception());
  }
  if (other.joinable()) other.join();
  if (pieces.error()) std::rethrow_exception(pieces.error());
}

}  // namespace wqnprep
