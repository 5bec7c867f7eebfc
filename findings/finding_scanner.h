// The findings pass: looks at the input beside the substitution and reports spots that are
// probably mistakes (see FindingKind). It runs only when findings are asked for, so the plain
// run never pays for it; it never changes the output.
//
// Every decision at a position depends only on a fixed number of bytes around it, so findings
// and their positions do not depend on how the input is split into pieces. A line's findings are
// handed on when the line ends, as a comment later on it may silence them:
//   -- wqnprep-ignore                 silences every kind on its line
//   /* wqnprep-ignore: KIND, KIND */  the kinds named
//   -- wqnprep-ignore-next-line       (and with ": KIND, ...") the line after it
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "findings/byte_window.h"
#include "findings/finding.h"
#include "findings/suggestions.h"
#include "symbols/token_index.h"

namespace wqnprep {

using FindingHandler = std::function<void(const Finding&)>;

class FindingScanner {
 public:
  // `handler` hears of every finding of the given kinds that no comment silences, in input
  // order, its column counted in `unit`.
  explicit FindingScanner(FindingHandler handler, const FindingKinds& kinds = kAllFindingKinds,
                          ColumnUnit unit = ColumnUnit::kDisplay);

  // The next `size` bytes of the input.
  void scan(const char* text, std::size_t size);
  // Room for up to `most` next bytes of the input, to read them straight into; scanRoom() then
  // scans the `got` bytes put there, as scan() would. Spares copying them in.
  char* room(std::size_t most) { return buffer_.room(most); }
  void scanRoom(std::size_t got);
  // At the end of the input.
  void finish();
  // Forgets the input so far, to scan another with the tables already built (a fuzzer that
  // scans many short inputs would otherwise spend most of its time building them).
  void restart();
  // The input is UTF-16, given to scan() as UTF-8: byte columns count its own bytes, 2 for each
  // code unit, where tools that count bytes look in the file. Before the first scan().
  void countBytesAsUtf16() { utf16Bytes_ = unit_ == ColumnUnit::kByte; }
  // The input begins at the start of a line inside a larger one, whose lines are checked apart
  // (see checkInHalves): its first bytes are no byte-order mark. Before the first scan().
  void startMidInput() { byteOrderMarkChecked_ = true; }
  // Whether `line` may hold a comment that silences the line after it.
  static bool maySilenceTheNextLine(std::string_view line);
  // The line the next byte would be on: after finish(), one more than the line feeds scanned.
  std::uint64_t line() const { return line_; }

 private:
  void look(bool atEnd);
  bool tooShortToMatter(std::size_t from, std::size_t separator) const;
  std::size_t quietTokenEnd(std::size_t first, std::size_t colons, bool atEnd);
  bool quietRun(std::size_t from, std::size_t end) const;
  std::size_t visitRange(std::size_t from, std::size_t to, bool atEnd);
  std::size_t visitWord(std::size_t start, std::size_t end, bool atEnd);
  void visitQualified(std::size_t type, std::size_t start, std::size_t colons, bool atEnd);
  void visitMistypedSeparator(std::size_t type, std::size_t start, std::size_t separator,
                              bool atEnd);
  void visitMisspeltWithOneColon(std::size_t start, std::size_t colon, bool atEnd);
  std::size_t standingNameEnd(std::size_t name, bool atEnd) const;
  bool isLongerName(std::size_t type, std::string_view name) const;
  void visitUnknownType(std::size_t start, std::size_t colons);
  std::size_t visitMarker(std::size_t start);
  struct Marker {
    std::size_t end = 0;  // 0: no marker
    std::uint32_t silenced = 0;
    bool nextLine = false;
  };
  Marker readMarker(std::size_t start, bool reporting);
  bool heard(FindingKind kind, std::size_t start);
  std::uint32_t silencedLaterOnLine(std::size_t start);
  void visitPlaceholderLike(std::size_t start, std::size_t end);
  void visitNameRun(std::size_t start);
  bool placeholderLength(std::size_t length) const;
  bool isPlaceholder(std::string_view word) const;
  void reportGlued(std::size_t start, std::size_t end);

  // The byte at `index` of the buffer, or -1 before the input or after its end.
  int byteAt(std::size_t index) const;
  std::size_t nameRunFrom(std::size_t index, std::size_t limit) const;
  std::string_view text(std::size_t begin, std::size_t end) const {
    return std::string_view(buffer_).substr(begin, end - begin);
  }
  void checkByteOrderMark(bool atEnd);
  void countLinesUpTo(std::size_t index);
  void endLine();
  // Holds, until its line ends, a finding whose message is the parts of `message` one after
  // another, then, when there is a `suggestion`, "; did you mean 'SUGGESTION'?".
  void report(FindingKind kind, std::size_t start, std::initializer_list<std::string_view> message,
              std::string_view suggestion = {});

  FindingHandler handler_;
  FindingKinds kinds_;
  ColumnUnit unit_;
  const TokenIndex& index_;
  // Built once per thread: building it costs more than scanning a small script, and what it
  // remembers holds for every file.
  Suggester& suggester_;
  std::vector<std::string> typeNames_;
  std::size_t shortestType_ = SIZE_MAX;
  std::size_t longestType_ = 0;
  std::uint64_t typeNameLengths_ = 0;  // a bit for each length of a type name under 64
  std::size_t longestRunLooked_ = 0;   // of a run of name bytes, by visitNameRun
  std::size_t lookahead_;              // bytes after a position that its decision may need

  // Whether visiting a replaced token, known by its value, finds nothing (see quietTokenEnd); and
  // while finding that out, report() only notes that it was called.
  std::unordered_map<const std::string*, bool> quietTokens_;
  bool dryRun_ = false;
  bool dryRunFound_ = false;

  // What the input so far left behind: restart() sets each of these back to its start.
  ByteWindow buffer_;            // the bytes not yet decided and a few before them
  std::uint64_t bufferAt_ = 0;   // input offset of buffer_[0]
  std::size_t next_ = 0;         // the first byte of the buffer not looked at
  std::uint64_t countedTo_ = 0;  // input offset up to which lines are counted
  std::uint64_t line_ = 1;
  std::uint64_t lineStart_ = 0;  // input offset of the current line's first byte
  std::uint64_t width_ = 0;      // columns of the current line up to countedTo_, unless bytes
  bool byteOrderMarkChecked_ = false;
  bool utf16Bytes_ = false;  // width_ counts the bytes of UTF-16

  // The findings of the current line, the first pendingCount_ of pending_: the room of their
  // messages is reused.
  std::vector<Finding> pending_;
  std::size_t pendingCount_ = 0;
  // The kinds silenced on the current line and on the next one, a bit for each.
  std::uint32_t silencedHere_ = 0;
  std::uint32_t silencedNext_ = 0;
  // What silencedLaterOnLine found last: from which input offset to its line's end, and the
  // kinds.
  std::uint64_t laterFrom_ = 0;
  std::uint64_t laterLineEnd_ = 0;
  std::uint32_t laterSilenced_ = 0;
};

}  // namespace wqnprep
