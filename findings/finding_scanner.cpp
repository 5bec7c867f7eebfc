#include "findings/finding_scanner.h"

#include <algorithm>
#include <cstring>

#include "symbols/qualified_token.h"
#include "symbols/tables.h"
#include "text/word_chars.h"

namespace wqnprep {
namespace {

// Words longer than this before "::" are neither misspelt type names nor namespaces a row
// could be meant under.
constexpr std::size_t kLongestWord = 64;
// How much of a longer name a glued-token finding shows on each side of the token.
constexpr std::size_t kShownAround = 32;

bool isName(int byte) {
  return byte >= 0 && hasClass(static_cast<char>(byte), kNameByte);
}
bool isDigit(int byte) {
  return byte >= '0' && byte <= '9';
}

}  // namespace

FindingScanner::FindingScanner(FindingHandler handler, const FindingKinds& kinds)
    : handler_(std::move(handler)),
      kinds_(kinds),
      index_(tokenIndex()),
      suggester_(registry(), globalScopeList()) {
  for (const SymbolTable* table : registry()) typeNames_.push_back(table->typeName);
  // A word, "::", a name as long as any token, and what a glued-token finding shows after it.
  lookahead_ = kLongestWord + 2 + index_.maxTokenLength() + 1 + kShownAround + 2;
}

void FindingScanner::scan(const char* text, std::size_t size) {
  buffer_.append(text, size);
  look(false);
}

void FindingScanner::finish() {
  look(true);
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
// no later decision needs.
void FindingScanner::look(bool atEnd) {
  const std::size_t size = buffer_.size();
  const std::size_t decided = atEnd ? size : size - std::min(size, lookahead_);
  // The classes of the byte at p and of the one before it, which is none before the input.
  const auto classAt = [this](std::size_t index) {
    return kByteClasses[static_cast<unsigned char>(buffer_[index])];
  };
  std::size_t p = next_;
  std::uint8_t before = p > 0 ? classAt(p - 1) : 0;
  while (p < decided) {
    const std::uint8_t here = classAt(p);
    if ((here & kNameByte) != 0 && (before & kNameByte) == 0) visitNameRun(p);
    if ((here & kWordByte) == 0 || (before & kWordByte) != 0) {
      before = here;
      ++p;
      continue;
    }
    std::size_t end = p + 1;
    while (end < size && (classAt(end) & kWordByte) != 0) ++end;
    visitWord(p, end, atEnd);
    before = classAt(end - 1);
    p = end;
  }
  next_ = p;

  const std::size_t keep = kShownAround + 1;
  const std::size_t drop = next_ > keep ? next_ - keep : 0;
  if (drop == 0) return;
  countLinesUpTo(drop);
  buffer_.erase(0, drop);
  bufferAt_ += drop;
  next_ -= drop;
}

void FindingScanner::visitWord(std::size_t start, std::size_t end, bool atEnd) {
  const std::size_t length = end - start;
  if (length > kLongestWord) return;
  if (byteAt(end) == ':') {
    const std::string_view word = text(start, end);
    const auto found = std::find(typeNames_.begin(), typeNames_.end(), word);
    const auto type = static_cast<std::size_t>(found - typeNames_.begin());
    if (byteAt(end + 1) == ':') {
      if (found != typeNames_.end()) {
        visitQualified(type, start, end, atEnd);
      } else {
        visitUnknownType(start, end);
      }
    }
    if (found != typeNames_.end()) visitMistypedSeparator(type, start, end, atEnd);
  }
  if (placeholderLength(length)) visitPlaceholderLike(start, end);
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
  if (!kinds_[static_cast<std::size_t>(FindingKind::kUnknownEnumerator)]) return;
  const bool cut = isName(byteAt(nameEnd));
  const std::string_view row = text(name, nameEnd);
  const std::string_view rowEnd = cut ? "...'" : "'";
  const std::string_view meant = cut ? std::string_view() : suggester_.rowFor(type, row);
  report(FindingKind::kUnknownEnumerator, start,
         {"unknown enumerator '", row, rowEnd, " of '", typeNames_[type], "'"}, meant);
}

// A type name standing as a word, then a single colon, or "::" and blanks, then a row of that
// type: the token meant, with what joins its two halves mistyped, so that it is not replaced.
// It is reported as an unknown enumerator, the kind of a known type followed by no row it has:
// the type is right and the row exists, but not as the enumerator part of a token.
void FindingScanner::visitMistypedSeparator(std::size_t type, std::size_t start, std::size_t colon,
                                            bool atEnd) {
  std::size_t name = colon + 1;
  if (byteAt(name) == ':') {
    ++name;
    const std::size_t blanks = name;
    while (name - blanks < kShownAround && (byteAt(name) == ' ' || byteAt(name) == '\t')) ++name;
    if (name == blanks) return;  // a token, or a name the type does not have
  }
  const std::size_t nameEnd = nameRunFrom(name, name + index_.maxTokenLength() + 1);
  if (nameEnd == name || isName(byteAt(nameEnd)) || (nameEnd == buffer_.size() && !atEnd)) return;
  const std::string meant = typeNames_[type] + "::" + std::string(text(name, nameEnd));
  if (index_.findQualified(meant.data(), meant.size()) == nullptr) return;
  report(FindingKind::kUnknownEnumerator, start, {"'", text(start, nameEnd), "' is not a token"},
         meant);
}

// A word that is not a type name before "::". PostgreSQL casts (x::int), schema and C++ names
// look the same, so it is reported only when the word reads as a misspelt type and the name as
// one of its rows, or when the name is exactly a row of one type.
void FindingScanner::visitUnknownType(std::size_t start, std::size_t colons) {
  if (!kinds_[static_cast<std::size_t>(FindingKind::kUnknownType)]) return;
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
  if (!kinds_[static_cast<std::size_t>(FindingKind::kUnknownPlaceholder)]) return;
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
  if (!kinds_[static_cast<std::size_t>(FindingKind::kUnknownPlaceholder)]) return;
  const std::size_t longest = suggester_.longestPlaceholder() + Suggester::kMaxEdits;
  const std::size_t end = nameRunFrom(start, start + longest + 1);
  if (!placeholderLength(end - start)) return;
  const std::string_view run = text(start, end);
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

void FindingScanner::countLinesUpTo(std::size_t index) {
  if (bufferAt_ + index <= countedTo_) return;
  const char* const from = buffer_.data() + (countedTo_ - bufferAt_);
  const char* const to = buffer_.data() + index;
  for (const char* p = from;
       (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(to - p)))) !=
       nullptr;
       ++p) {
    ++line_;
    lineStart_ = bufferAt_ + static_cast<std::uint64_t>(p + 1 - buffer_.data());
  }
  countedTo_ = bufferAt_ + index;
}

void FindingScanner::report(FindingKind kind, std::size_t start,
                            std::initializer_list<std::string_view> message,
                            std::string_view suggestion) {
  if (!kinds_[static_cast<std::size_t>(kind)]) return;
  countLinesUpTo(start);
  finding_.kind = kind;
  finding_.line = line_;
  finding_.column = bufferAt_ + start - lineStart_ + 1;
  finding_.message.clear();
  for (std::string_view part : message) finding_.message += part;
  finding_.suggestion = suggestion;
  if (!suggestion.empty()) {
    finding_.message += "; did you mean '";
    finding_.message += suggestion;
    finding_.message += "'?";
  }
  handler_(finding_);
}

}  // namespace wqnprep
