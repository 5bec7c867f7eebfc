#include "findings/finding_scanner.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "symbols/qualified_token.h"
#include "symbols/tables.h"
#include "text/byte_runs.h"
#include "text/display_width.h"
#include "text/utf16.h"
#include "text/word_chars.h"

namespace wqnprep {
namespace {

// Words longer than this before "::" are neither misspelt type names nor namespaces a row
// could be meant under.
constexpr std::size_t kLongestWord = 64;
// How much of a longer name a glued-token finding shows on each side of the token; also the
// most blanks looked past around "::".
constexpr std::size_t kShownAround = 32;

// The comment that silences findings: `--` or `/*`, at most kMarkerIndent blanks, the marker,
// optionally kMarkerNextLine, then optionally ':' and kinds separated by commas, all within
// kMarkerReach bytes of the marker.
constexpr std::string_view kMarker = "wqnprep-ignore";
constexpr std::string_view kMarkerNextLine = "-next-line";
constexpr std::size_t kMarkerIndent = 16;
constexpr std::size_t kMarkerReach = 240;
constexpr std::size_t kMarkerWord = 7;  // "wqnprep", the word it starts with

constexpr std::uint32_t bitOf(FindingKind kind) {
  return std::uint32_t{1} << static_cast<unsigned>(kind);
}
static_assert(kFindingKindCount <= 32, "one bit for each kind");
constexpr std::uint32_t kAllKindBits = ~std::uint32_t{0};

bool isName(int byte) {
  return byte >= 0 && hasClass(static_cast<char>(byte), kNameByte);
}
bool isDigit(int byte) {
  return byte >= '0' && byte <= '9';
}
bool isBlank(int byte) {
  return byte == ' ' || byte == '\t';
}
bool isKindByte(int byte) {
  return isName(byte) || byte == '-';
}

// The calling thread's. Each is kept until the process ends: a thread_local object with a
// destructor crashes MinGW's threads as they end.
Suggester& threadSuggester() {
  thread_local Suggester* mine = nullptr;
  if (mine == nullptr) {
    static std::mutex mutex;
    static std::vector<std::unique_ptr<Suggester>> all;
    const std::lock_guard lock(mutex);
    mine = all.emplace_back(std::make_unique<Suggester>(registry(), globalScopeList())).get();
  }
  return *mine;
}

}  // namespace

FindingScanner::FindingScanner(FindingHandler handler, const FindingKinds& kinds, ColumnUnit unit)
    : handler_(std::move(handler)),
      kinds_(kinds),
      unit_(unit),
      index_(tokenIndex()),
      suggester_(threadSuggester()) {
  for (const SymbolTable* table : registry()) {
    typeNames_.push_back(table->typeName);
    shortestType_ = std::min(shortestType_, table->typeName.size());
    longestType_ = std::max(longestType_, table->typeName.size());
    if (table->typeName.size() < 64) typeNameLengths_ |= std::uint64_t{1} << table->typeName.size();
  }
  longestRunLooked_ = std::max(suggester_.longestPlaceholder() + Suggester::kMaxEdits,
                               suggester_.longestSnakeCase());
  // A word, blanks, "::", blanks, a name as long as any token, and what a glued-token finding
  // shows after it; or a silencing comment.
  lookahead_ =
      std::max(kLongestWord + 2 * kShownAround + 2 + index_.maxTokenLength() + 1 + kShownAround + 2,
               kMarkerReach + 1);
  // The scan skips runs of name bytes shorter than kLongRun, so no word shorter may be a
  // misspelt placeholder.
  if (suggester_.shortestPlaceholder() < static_cast<std::size_t>(kLongRun) + Suggester::kMaxEdits)
    throw std::logic_error("a placeholder is shorter than the findings pass looks for");
}

void FindingScanner::scan(const char* text, std::size_t size) {
  if (size > 0) std::memcpy(room(size), text, size);  // no room is made for nothing
  scanRoom(size);
}

void FindingScanner::scanRoom(std::size_t got) {
  buffer_.add(got);
  look(false);
}

void FindingScanner::finish() {
  look(true);
  countLinesUpTo(buffer_.size());
  endLine();
}

void FindingScanner::restart() {
  buffer_.clear();
  bufferAt_ = 0;
  next_ = 0;
  countedTo_ = 0;
  line_ = 1;
  lineStart_ = 0;
  width_ = 0;
  byteOrderMarkChecked_ = false;
  utf16Bytes_ = false;
  pendingCount_ = 0;
  silencedHere_ = 0;
  silencedNext_ = 0;
  laterFrom_ = 0;
  laterLineEnd_ = 0;
}

int FindingScanner::byteAt(std::size_t index) const {
  if (index >= buffer_.size()) return -1;  // also "before the buffer": the index wrapped
  return static_cast<unsigned char>(buffer_[index]);
}

// The end of the run of name bytes from `index`, stopping at `limit`.
std::size_t FindingScanner::nameRunFrom(std::size_t index, std::size_t limit) const {
  limit = std::min(limit, buffer_.size());
  while (index < limit && hasClass(buffer_[index], kNameByte)) ++index;
  return index;
}

// Decides every word that starts where enough bytes after it are known, then drops the bytes
// no later decision needs. Only the runs of name bytes around what findingCandidate points at
// are looked at: nothing else can begin a finding.
void FindingScanner::look(bool atEnd) {
  checkByteOrderMark(atEnd);
  const std::size_t size = buffer_.size();
  const std::size_t decided = atEnd ? size : size - std::min(size, lookahead_);
  const char* const bytes = buffer_.data();
  std::size_t p = next_;
  while (p < decided) {
    const auto candidate =
        static_cast<std::size_t>(findingCandidate(bytes + p, bytes + decided) - bytes);
    if (candidate >= decided) {
      p = decided;
      break;
    }
    // Most candidates are the "::" of a token that visiting finds nothing in.
    const int at = byteAt(candidate);
    if (at == ':') {
      if (const std::size_t end = quietTokenEnd(p, candidate, atEnd)) {
        p = end;
        continue;
      }
    }
    // From the start of the run of name bytes that ends at or after the candidate, past blanks
    // before a ':', to the end of the run the candidate is in. Near `decided` the scan stops at
    // any byte, a blank among them: the word before the blanks is looked at there, as the ':'
    // after them may come only after a later stop, which cannot reach back past this one.
    std::size_t from = candidate;
    for (std::size_t blanks = 0; (at == ':' || isBlank(at)) && from > p && blanks < kShownAround &&
                                 isBlank(byteAt(from - 1));
         ++blanks) {
      --from;
    }
    while (from > p && hasClass(bytes[from - 1], kNameByte)) --from;
    if ((at == ':' || at == '.') && tooShortToMatter(from, candidate)) {
      p = candidate + 1;
      continue;
    }
    const auto runEnd =
        static_cast<std::size_t>(nameRunEnd(bytes + candidate, bytes + decided) - bytes);
    if (runEnd > candidate && quietRun(from, runEnd)) {
      p = runEnd;
      continue;
    }
    p = visitRange(from, std::max(runEnd, candidate + 1), atEnd);
    // The second colon of "::" has no run before it and no colon after it: nothing to look at.
    if (at == ':' && p == candidate + 1 && p < decided && byteAt(p) == ':' &&
        byteAt(p + 1) != ':') {
      ++p;
    }
  }
  next_ = p;

  const std::size_t keep = kShownAround + 1;
  std::size_t drop = next_ > keep ? next_ - keep : 0;
  if (drop == 0) return;
  // Display widths are counted up to the drop, which must not cut a character.
  drop = characterBoundary(buffer_, drop);
  countLinesUpTo(drop);
  buffer_.dropFront(drop);
  bufferAt_ += drop;
  next_ -= drop;
}

// Whether the run of name bytes from `from` right up to the ':' or '.' at `separator` is too short
// for anything to be found there: a time (12:48:58) or a column reference (t.id) is no type name,
// and no word close to one. The second colon of "::" has no run before it at all. Not so for a
// first ':' of "::" (any word may come before a row), or blanks before the ':'.
bool FindingScanner::tooShortToMatter(std::size_t from, std::size_t separator) const {
  const bool wholeRun = from == 0 || !isName(byteAt(from - 1));
  if (!wholeRun || isBlank(byteAt(separator - 1))) return false;
  const bool dot = byteAt(separator) == '.';
  if (!dot && byteAt(separator + 1) == ':') return false;
  const std::size_t shortest = dot ? shortestType_ : shortestType_ - Suggester::kMaxEdits;
  return separator - from < shortest;
}

// The end of the token replaced around the "::" at `colons`, when looking at it as a whole can
// find nothing: a whole run of name bytes from `first` or after, then a byte that is neither a
// name byte nor one that would make a word of it looked at again (':', '.', '-', a blank). What a
// visit finds in such a token depends on its bytes alone, so each token is visited once, without
// reporting, and remembered. Otherwise 0. Most tokens in a script are such, and most of the pass's
// time went to visiting them.
std::size_t FindingScanner::quietTokenEnd(std::size_t first, std::size_t colons, bool atEnd) {
  if (byteAt(colons + 1) != ':') return 0;
  const TextAtHand held{buffer_.data(), buffer_.data() + buffer_.size(), false, atEnd};
  const TokenMatch token = qualifiedTokenAround(index_, held, buffer_.data() + colons);
  if (token.value == nullptr) return 0;
  const auto from = static_cast<std::size_t>(token.begin - buffer_.data());
  if (from < first || isName(byteAt(from - 1))) return 0;
  const auto end = static_cast<std::size_t>(token.end - buffer_.data());
  const int after = byteAt(end);
  if (after < 0 || isName(after) || after == ':' || after == '.' || after == '-' ||
      isBlank(after)) {
    return 0;
  }
  auto known = quietTokens_.find(token.value);
  if (known == quietTokens_.end()) {
    dryRun_ = true;
    dryRunFound_ = false;
    visitRange(from, colons + 1, atEnd);
    visitRange(colons + 2, end, atEnd);
    dryRun_ = false;
    known = quietTokens_.emplace(token.value, !dryRunFound_).first;
  }
  return known->second ? end : 0;
}

// Whether visiting the run of name bytes from `from` to `end` can find nothing: it is a whole run
// whose words are too far from a placeholder's length, as is the run itself (unless too short for
// visitNameRun), and what follows it can make none of its words a type name before a separator
// or a silencing comment's marker. Most long names in a script are rows, so this spares them the
// word-by-word visit.
bool FindingScanner::quietRun(std::size_t from, std::size_t end) const {
  if ((from > 0 && isName(byteAt(from - 1))) || isName(byteAt(end))) return false;
  const int after = byteAt(end);
  if (after == ':' || after == '-') return false;
  const char* const bytes = buffer_.data();
  if (after == '.' || isBlank(after)) {
    std::size_t word = end;
    while (word > from && hasClass(bytes[word - 1], kWordByte)) --word;
    if (end - word < 64 && (typeNameLengths_ >> (end - word) & 1U) != 0) return false;
  }
  const std::size_t length = end - from;
  if (length < static_cast<std::size_t>(kLongRun)) return true;
  if (length <= longestRunLooked_) return false;
  std::size_t word = from;
  for (std::size_t i = from; i < end; ++i) {
    if (bytes[i] != '_') continue;
    if (placeholderLength(i - word)) return false;
    word = i + 1;
  }
  return !placeholderLength(end - word);
}

// Visits every run of name bytes and every word that starts in [from, to), and returns where the
// last one ended, or `to`.
std::size_t FindingScanner::visitRange(std::size_t from, std::size_t to, bool atEnd) {
  const std::size_t size = buffer_.size();
  // The classes of the byte at p and of the one before it, which is none before the input.
  const auto classAt = [this](std::size_t index) {
    return kByteClasses[static_cast<unsigned char>(buffer_[index])];
  };
  std::size_t p = from;
  std::uint8_t before = p > 0 ? classAt(p - 1) : 0;
  while (p < to) {
    const std::uint8_t here = classAt(p);
    if ((here & kNameByte) != 0 && (before & kNameByte) == 0) visitNameRun(p);
    if ((here & kWordByte) == 0 || (before & kWordByte) != 0) {
      before = here;
      ++p;
      continue;
    }
    std::size_t end = p + 1;
    while (end < size && (classAt(end) & kWordByte) != 0) ++end;
    p = visitWord(p, end, atEnd);
    before = classAt(p - 1);
  }
  return p;
}

// Looks at the word from `start` to `end`; returns where looking goes on: after the word, or
// after a silencing comment's marker and kinds.
std::size_t FindingScanner::visitWord(std::size_t start, std::size_t end, bool atEnd) {
  const std::size_t length = end - start;
  if (length > kLongestWord) return end;
  const int after = byteAt(end);
  if (after == '-' && length == kMarkerWord) {
    if (const std::size_t markerEnd = visitMarker(start)) return markerEnd;
  }
  if (after == ':' || after == '.' || isBlank(after)) {
    const std::string_view word = text(start, end);
    const auto found = std::find(typeNames_.begin(), typeNames_.end(), word);
    const auto type = static_cast<std::size_t>(found - typeNames_.begin());
    const bool colons = after == ':' && byteAt(end + 1) == ':';
    if (colons) {
      if (found != typeNames_.end()) {
        visitQualified(type, start, end, atEnd);
      } else {
        visitUnknownType(start, end);
      }
    }
    if (found != typeNames_.end()) {
      visitMistypedSeparator(type, start, end, atEnd);
    } else if (after == ':' && !colons) {
      visitMisspeltWithOneColon(start, end, atEnd);
    }
  }
  if (placeholderLength(length)) visitPlaceholderLike(start, end);
  return end;
}

bool FindingScanner::placeholderLength(std::size_t length) const {
  return length + Suggester::kMaxEdits >= suggester_.shortestPlaceholder() &&
         length <= suggester_.longestPlaceholder() + Suggester::kMaxEdits;
}

bool FindingScanner::isPlaceholder(std::string_view word) const {
  return std::any_of(index_.placeholders().begin(), index_.placeholders().end(),
                     [&word](const TokenIndex::Placeholder& entry) { return entry.name == word; });
}

// A known type name standing as a word before "::": the row the substitution replaces there, if
// any, or the name it does not know.
void FindingScanner::visitQualified(std::size_t type, std::size_t start, std::size_t colons,
                                    bool atEnd) {
  // The byte before a word is in the buffer, unless the word begins the input.
  const TextAtHand held{buffer_.data(), buffer_.data() + buffer_.size(), false, atEnd};
  const TokenMatch replaced = qualifiedTokenAround(index_, held, buffer_.data() + colons);
  if (replaced.value != nullptr) {
    const auto end = static_cast<std::size_t>(replaced.end - buffer_.data());
    if (byteAt(start - 1) == '_' || byteAt(end) == '_') reportGlued(start, end);
    return;
  }
  const std::size_t name = colons + 2;
  const std::size_t nameEnd = nameRunFrom(name, start + index_.maxTokenLength() + 1);
  if (nameEnd == name || isDigit(byteAt(name))) return;
  if (!heard(FindingKind::kUnknownEnumerator, start)) return;
  const bool cut = isName(byteAt(nameEnd));
  const std::string_view row = text(name, nameEnd);
  const std::string_view rowEnd = cut ? "...'" : "'";
  const std::string_view meant = cut ? std::string_view() : suggester_.rowFor(type, row);
  report(FindingKind::kUnknownEnumerator, start,
         {"unknown enumerator '", row, rowEnd, " of '", typeNames_[type], "'"}, meant);
}

// A type name standing as a word, then a single colon, a dot, "::" and blanks, or blanks and
// "::", then a row of that type: the token meant, with what joins its two halves mistyped, so
// that it is not replaced. After a single colon, a name close to a row (as a suggestion would
// name it) is taken for that row too. It is reported as an unknown enumerator, the kind of a
// known type followed by no row it has: the type is right and the row exists, but not as the
// enumerator part of a token.
void FindingScanner::visitMistypedSeparator(std::size_t type, std::size_t start,
                                            std::size_t separator, bool atEnd) {
  std::size_t name = separator + 1;
  const bool oneColon = byteAt(separator) == ':' && byteAt(name) != ':';
  if (byteAt(separator) == ':' && !oneColon) {
    ++name;
    const std::size_t blanks = name;
    while (name - blanks < kShownAround && isBlank(byteAt(name))) ++name;
    if (name == blanks) return;  // a token, or a name the type does not have
  } else if (isBlank(byteAt(separator))) {
    name = separator;
    while (name - separator < kShownAround && isBlank(byteAt(name))) ++name;
    if (byteAt(name) != ':' || byteAt(name + 1) != ':') return;
    name += 2;  // blanks after it as well read as prose: "TYPE :: NAME"
  }
  const std::size_t nameEnd = standingNameEnd(name, atEnd);
  if (nameEnd == name || !heard(FindingKind::kUnknownEnumerator, start)) return;
  const std::string_view row = text(name, nameEnd);
  std::string meant = typeNames_[type] + "::" + std::string(row);
  if (index_.findQualified(meant.data(), meant.size()) == nullptr) {
    if (!oneColon || isLongerName(type, row)) return;
    const std::string& closest = suggester_.rowFor(type, row);
    if (closest.empty()) return;
    meant = typeNames_[type] + "::" + closest;
  }
  report(FindingKind::kUnknownEnumerator, start, {"'", text(start, nameEnd), "' is not a token"},
         meant);
}

// A word close to a type name (as a suggestion would name it), a single colon, and a row of that
// type or a name close to one: a token with a misspelt type and a mistyped separator.
void FindingScanner::visitMisspeltWithOneColon(std::size_t start, std::size_t colon, bool atEnd) {
  if (!heard(FindingKind::kUnknownType, start)) return;
  const std::size_t length = colon - start;
  if (length + Suggester::kMaxEdits < shortestType_ ||
      length > longestType_ + Suggester::kMaxEdits) {
    return;
  }
  const std::size_t name = colon + 1;
  const std::size_t nameEnd = standingNameEnd(name, atEnd);
  if (nameEnd == name) return;
  const auto type = suggester_.typeFor(text(start, colon));
  if (!type) return;
  const std::string_view row = text(name, nameEnd);
  std::string meant = typeNames_[*type] + "::" + std::string(row);
  if (index_.findQualified(meant.data(), meant.size()) == nullptr) {
    if (isLongerName(*type, row)) return;
    const std::string& closest = suggester_.rowFor(*type, row);
    if (closest.empty()) return;
    meant = typeNames_[*type] + "::" + closest;
  }
  report(FindingKind::kUnknownType, start, {"'", text(start, nameEnd), "' is not a token"}, meant);
}

// The end of the name that starts at `name`, no longer than a token and followed by no name
// byte; or `name` when there is no such name, or when more bytes may still make it longer.
std::size_t FindingScanner::standingNameEnd(std::size_t name, bool atEnd) const {
  const std::size_t nameEnd = nameRunFrom(name, name + index_.maxTokenLength() + 1);
  if (nameEnd == name || isDigit(byteAt(name)) || isName(byteAt(nameEnd)) ||
      (nameEnd == buffer_.size() && !atEnd)) {
    return name;
  }
  return nameEnd;
}

// Whether `name` is a row of `type` with more after an underscore (stDns_x): a longer name of
// its own, not a misspelling.
bool FindingScanner::isLongerName(std::size_t type, std::string_view name) const {
  for (std::size_t cut = name.find('_'); cut != std::string_view::npos;
       cut = name.find('_', cut + 1)) {
    const std::string token = typeNames_[type] + "::" + std::string(name.substr(0, cut));
    if (index_.findQualified(token.data(), token.size()) != nullptr) return true;
  }
  return false;
}

// A word that is not a type name before "::". PostgreSQL casts (x::int), schema and C++ names
// look the same, so it is reported only when the word reads as a misspelt type and the name as
// one of its rows, or when the name is exactly a row of one type.
void FindingScanner::visitUnknownType(std::size_t start, std::size_t colons) {
  if (!heard(FindingKind::kUnknownType, start)) return;
  const std::size_t name = colons + 2;
  const std::size_t limit = name + index_.maxTokenLength() + 1;
  const std::size_t nameEnd = nameRunFrom(name, limit);
  if (nameEnd == name || nameEnd == limit || isDigit(byteAt(name))) return;
  const std::string_view word = text(start, colons);
  const std::string_view row = text(name, nameEnd);
  std::string meant;
  if (const auto type = suggester_.typeFor(word); type && suggester_.readsAsRowOf(*type, row)) {
    meant = typeNames_[*type];
  } else if (const auto owner = suggester_.typeWithRow(row)) {
    meant = typeNames_[*owner] + "::" + std::string(row);
  } else {
    return;
  }
  report(FindingKind::kUnknownType, start, {"unknown type '", word, "'"}, meant);
}

// A word of about the length of a placeholder: the name itself glued to a longer one, or a
// misspelling of it.
void FindingScanner::visitPlaceholderLike(std::size_t start, std::size_t end) {
  const std::string_view word = text(start, end);
  if (isPlaceholder(word)) {
    if (byteAt(start - 1) == '_' || byteAt(end) == '_') reportGlued(start, end);
    return;
  }
  if (!heard(FindingKind::kUnknownPlaceholder, start)) return;
  if (const std::string* meant = suggester_.placeholderFor(word)) {
    report(FindingKind::kUnknownPlaceholder, start, {"unknown placeholder '", word, "'"}, *meant);
  }
}

// A run of name bytes from `start` with an underscore in it, of about the length of a
// placeholder: the placeholder misspelt with an underscore in it or next to it
// ('WQN_GlobalScopeGUID'). Its words are looked at on their own: when one is the placeholder,
// the run is a glued token; when one is a misspelling of it, that word is reported. Either way
// the run is not reported as well.
void FindingScanner::visitNameRun(std::size_t start) {
  const std::size_t end = nameRunFrom(start, start + longestRunLooked_ + 1);
  if (end - start < static_cast<std::size_t>(kLongRun)) return;
  if (!heard(FindingKind::kUnknownPlaceholder, start)) return;
  const std::string_view run = text(start, end);
  if (const std::string* meant = suggester_.placeholderInSnakeCase(run)) {
    report(FindingKind::kUnknownPlaceholder, start, {"unknown placeholder '", run, "'"}, *meant);
    return;
  }
  if (!placeholderLength(end - start)) return;
  if (run.find('_') == std::string_view::npos) return;  // one word, looked at as such
  for (std::size_t from = 0; from < run.size();) {
    const std::size_t to = std::min(run.find('_', from), run.size());
    const std::string_view word = run.substr(from, to - from);
    if (isPlaceholder(word) ||
        (placeholderLength(word.size()) && suggester_.placeholderFor(word) != nullptr)) {
      return;
    }
    from = to + 1;
  }
  if (const std::string* meant = suggester_.placeholderFor(run)) {
    report(FindingKind::kUnknownPlaceholder, start, {"unknown placeholder '", run, "'"}, *meant);
  }
}

// The token from `start` to `end` was replaced, but an underscore joins it to more name bytes.
void FindingScanner::reportGlued(std::size_t start, std::size_t end) {
  std::size_t from = start;
  while (start - from < kShownAround && isName(byteAt(from - 1))) --from;
  std::size_t to = end;
  while (to - end < kShownAround && isName(byteAt(to))) ++to;
  const std::string_view before = isName(byteAt(from - 1)) ? "..." : "";
  const std::string_view after = isName(byteAt(to)) ? "..." : "";
  report(FindingKind::kGluedToken, start,
         {"'", text(start, end), "' was replaced inside the longer name '", before, text(from, to),
          after, "'"});
}

// A comment that silences findings, when the word "wqnprep" at `start` begins its marker: the
// kinds it names (all when it names none) are silenced on its line or the next; a name that is no
// kind is reported. Returns the end of the marker and its kinds, which are not looked at for
// findings, or 0 when no comment begins with a marker there: then it is text like any other.
std::size_t FindingScanner::visitMarker(std::size_t start) {
  const Marker marker = readMarker(start, true);
  if (marker.end == 0) return 0;
  countLinesUpTo(start);  // the line it silences is this one or the next
  (marker.nextLine ? silencedNext_ : silencedHere_) |= marker.silenced;
  return marker.end;
}

// What the comment whose marker's word is at `start` silences, as visitMarker describes it; names
// that are no kind are reported when `reporting`.
FindingScanner::Marker FindingScanner::readMarker(std::size_t start, bool reporting) {
  const std::size_t limit = std::min(start + kMarkerReach, buffer_.size());
  if (text(start, std::min(start + kMarker.size(), limit)) != kMarker) return {};
  std::size_t p = start + kMarker.size();
  Marker marker;
  marker.nextLine = text(p, std::min(p + kMarkerNextLine.size(), limit)) == kMarkerNextLine;
  if (marker.nextLine) p += kMarkerNextLine.size();
  if (isKindByte(byteAt(p))) return {};  // a longer word: wqnprep-ignored
  std::size_t opener = start;
  while (start - opener < kMarkerIndent && isBlank(byteAt(opener - 1))) --opener;
  const int first = byteAt(opener - 2);
  const int second = byteAt(opener - 1);
  if (!((first == '-' && second == '-') || (first == '/' && second == '*'))) return {};

  bool named = false;
  if (byteAt(p) == ':') {
    ++p;
    while (true) {
      while (p < limit && isBlank(byteAt(p))) ++p;
      const std::size_t nameStart = p;
      while (p < limit && isKindByte(byteAt(p))) ++p;
      if (p == nameStart) break;
      named = true;
      const std::string_view name = text(nameStart, p);
      if (const auto kind = findingKindNamed(name)) {
        marker.silenced |= bitOf(*kind);
      } else if (reporting) {
        report(FindingKind::kUnknownSuppression, nameStart,
               {"'", name, "' in ", kMarker, marker.nextLine ? kMarkerNextLine : "",
                " is no kind of finding; the kinds are ", kFindingKindNames});
      }
      while (p < limit && isBlank(byteAt(p))) ++p;
      if (byteAt(p) != ',') break;
      ++p;
    }
  }
  if (!named) marker.silenced = kAllKindBits;
  marker.end = p;
  return marker;
}

bool FindingScanner::maySilenceTheNextLine(std::string_view line) {
  return line.find(kMarker) != std::string_view::npos;
}

// Whether a finding of `kind` at `start` would be handed on: its kind is asked for, and no comment
// on its line silences it, also one later on the line. Asked before the work of making the
// finding, which a script's deliberate near misses, silenced on their lines, are spared.
bool FindingScanner::heard(FindingKind kind, std::size_t start) {
  if (!kinds_[static_cast<std::size_t>(kind)]) return false;
  if (dryRun_) return true;  // what a token finds is remembered for wherever it stands
  // Lines are counted up to `start` only where that may change what silencedHere_ holds.
  if ((silencedHere_ | silencedNext_) != 0) countLinesUpTo(start);
  return ((silencedHere_ | silencedLaterOnLine(start)) & bitOf(kind)) == 0;
}

// The kinds that comments from `start` to the end of its line silence on that line; none when the
// line's end is not at hand yet. Remembered for the line, which may be asked about many times.
std::uint32_t FindingScanner::silencedLaterOnLine(std::size_t start) {
  // Asked again further on the same line, the comments from where it was asked before still are
  // all there are.
  if (bufferAt_ + start >= laterFrom_ && bufferAt_ + start < laterLineEnd_) return laterSilenced_;
  const char* const bytes = buffer_.data();
  const void* const feed = std::memchr(bytes + start, '\n', buffer_.size() - start);
  laterFrom_ = bufferAt_ + start;
  if (feed == nullptr) {
    // Nothing is spared on the line until its end comes; nor looked for again before then.
    laterLineEnd_ = bufferAt_ + buffer_.size();
    laterSilenced_ = 0;
    return 0;
  }
  const auto lineEnd = static_cast<std::size_t>(static_cast<const char*>(feed) - bytes);
  laterLineEnd_ = bufferAt_ + lineEnd;
  laterSilenced_ = 0;
  const std::string_view rest = text(start, lineEnd);
  // As the pass goes on after a comment's kinds, a marker among them is none.
  for (std::size_t at = rest.find(kMarker); at != std::string_view::npos;) {
    const Marker marker = readMarker(start + at, false);
    if (marker.end != 0 && !marker.nextLine) laterSilenced_ |= marker.silenced;
    at = rest.find(kMarker, marker.end != 0 ? marker.end - start : at + 1);
  }
  return laterSilenced_;
}

// A byte-order mark at the start of the input is not part of the first line's columns.
void FindingScanner::checkByteOrderMark(bool atEnd) {
  if (byteOrderMarkChecked_ || (buffer_.size() < 3 && !atEnd)) return;
  byteOrderMarkChecked_ = true;
  if (bufferAt_ == 0 && std::string_view(buffer_).starts_with("\xEF\xBB\xBF"))
    lineStart_ = countedTo_ = 3;
}

void FindingScanner::countLinesUpTo(std::size_t index) {
  if (bufferAt_ + index <= countedTo_) return;
  const char* const to = buffer_.data() + index;
  const char* from = buffer_.data() + (countedTo_ - bufferAt_);
  if (pendingCount_ == 0 && silencedHere_ == 0 && silencedNext_ == 0) {
    // No line's end needs seeing to: the lines are counted, and the last one found.
    if (const std::size_t feeds = countByte(from, to, '\n'); feeds > 0) {
      line_ += feeds;
      const auto last =
          std::find(std::make_reverse_iterator(to), std::make_reverse_iterator(from), '\n');
      from = last.base();
      lineStart_ = bufferAt_ + static_cast<std::uint64_t>(from - buffer_.data());
      width_ = 0;
    }
  }
  for (const char* p = from;
       (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(to - p)))) !=
       nullptr;
       ++p) {
    ++line_;
    lineStart_ = bufferAt_ + static_cast<std::uint64_t>(p + 1 - buffer_.data());
    from = p + 1;
    width_ = 0;
    if (pendingCount_ > 0 || silencedHere_ != 0 || silencedNext_ != 0) {
      endLine();
    } else {
      // Nothing waits for a line's end any more: the rest is counted the fast way.
      countedTo_ = lineStart_;
      countLinesUpTo(index);
      return;
    }
  }
  const std::string_view counted(from, static_cast<std::size_t>(to - from));
  if (unit_ == ColumnUnit::kDisplay) width_ = displayWidthAfter(width_, counted);
  if (unit_ == ColumnUnit::kCodePoint) width_ = characterCountAfter(width_, counted);
  if (unit_ == ColumnUnit::kUtf16) width_ = utf16UnitCountAfter(width_, counted);
  if (utf16Bytes_) width_ = utf16ByteCountAfter(width_, counted);
  countedTo_ = bufferAt_ + index;
}

// Hands on the findings of the line that ended, but those its comments silence.
void FindingScanner::endLine() {
  for (std::size_t i = 0; i < pendingCount_; ++i) {
    const Finding& finding = pending_[i];
    const bool silenced = (silencedHere_ & bitOf(finding.kind)) != 0 &&
                          finding.kind != FindingKind::kUnknownSuppression;
    if (!silenced) handler_(finding);
  }
  pendingCount_ = 0;
  silencedHere_ = silencedNext_;
  silencedNext_ = 0;
}

void FindingScanner::report(FindingKind kind, std::size_t start,
                            std::initializer_list<std::string_view> message,
                            std::string_view suggestion) {
  if (!kinds_[static_cast<std::size_t>(kind)]) return;
  if (dryRun_) {
    dryRunFound_ = true;
    return;
  }
  countLinesUpTo(start);
  if (pendingCount_ == pending_.size()) pending_.emplace_back();
  Finding& finding = pending_[pendingCount_++];
  finding.kind = kind;
  finding.line = line_;
  finding.column =
      unit_ == ColumnUnit::kByte && !utf16Bytes_ ? bufferAt_ + start - lineStart_ + 1 : width_ + 1;
  finding.message.clear();
  for (std::string_view part : message) finding.message += part;
  finding.suggestion = suggestion;
  if (!suggestion.empty()) {
    finding.message += "; did you mean '";
    finding.message += suggestion;
    finding.message += "'?";
  }
}

}  // namespace wqnprep
