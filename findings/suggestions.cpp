#include "findings/suggestions.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <utility>

#include "text/edit_distance.h"

namespace wqnprep {
namespace {

constexpr std::size_t kAmbiguous = SIZE_MAX;

// Places for remembered answers: more than the distinct misspellings of a real script.
constexpr std::size_t kRememberedPlaces = std::size_t{1} << 12;

std::string sharedBeginning(const std::vector<SymbolEntry>& rows) {
  if (rows.empty()) return "";
  std::string shared = rows.front().name;
  for (const SymbolEntry& row : rows) {
    const auto [end, unused] =
        std::mismatch(shared.begin(), shared.end(), row.name.begin(), row.name.end());
    shared.erase(end, shared.end());
  }
  return shared;
}

// The part of `shared` (the beginning all `rows` share) after which every row goes on with a
// capital letter, when it is at least kShortestCamelPrefix long: "obj" of objIPPool and objSample.
// Shorter beginnings ("st" of stDns and stWins) begin ordinary words too.
constexpr std::size_t kShortestCamelPrefix = 3;

std::string camelPrefix(std::string shared, const std::vector<SymbolEntry>& rows) {
  const auto goesOnWithACapital = [&shared](const SymbolEntry& row) {
    return row.name.size() > shared.size() && row.name[shared.size()] >= 'A' &&
           row.name[shared.size()] <= 'Z';
  };
  while (!shared.empty() && !std::all_of(rows.begin(), rows.end(), goesOnWithACapital)) {
    shared.pop_back();
  }
  return shared.size() >= kShortestCamelPrefix ? shared : "";
}

bool startsWithIgnoringCase(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && equalIgnoringCase(text.substr(0, start.size()), start);
}

// Words of opposite meaning that names of operations and states are made of. A word and the same
// word with one of kNegations in front (LOCK, UNLOCK; ENABLE, DISABLE) are opposites as well.
constexpr std::array<std::pair<std::string_view, std::string_view>, 26> kOpposites{{
    {"GET", "SET"},       {"READ", "WRITE"},      {"ON", "OFF"},         {"LOGON", "LOGOFF"},
    {"LOGIN", "LOGOUT"},  {"ADD", "REMOVE"},      {"ADD", "DELETE"},     {"INSERT", "DELETE"},
    {"START", "STOP"},    {"CREATE", "DELETE"},   {"CREATE", "DESTROY"}, {"CREATE", "REMOVE"},
    {"ALLOW", "DENY"},    {"GRANT", "REVOKE"},    {"ACCEPT", "REJECT"},  {"IMPORT", "EXPORT"},
    {"ATTACH", "DETACH"}, {"ENCRYPT", "DECRYPT"}, {"UP", "DOWN"},        {"OPEN", "CLOSE"},
    {"SHOW", "HIDE"},     {"IN", "OUT"},          {"SUSPEND", "RESUME"}, {"BACKUP", "RESTORE"},
    {"MIN", "MAX"},       {"FIRST", "LAST"},
}};
constexpr std::array<std::string_view, 3> kNegations{"UN", "DE", "DIS"};

bool negates(std::string_view longer, std::string_view word) {
  return !word.empty() && std::ranges::any_of(kNegations, [&](std::string_view negation) {
    return longer.size() == negation.size() + word.size() &&
           startsWithIgnoringCase(longer, negation) &&
           equalIgnoringCase(longer.substr(negation.size()), word);
  });
}

bool areOpposites(std::string_view a, std::string_view b) {
  for (const auto& [one, other] : kOpposites) {
    if ((equalIgnoringCase(a, one) && equalIgnoringCase(b, other)) ||
        (equalIgnoringCase(a, other) && equalIgnoringCase(b, one))) {
      return true;
    }
  }
  return negates(a, b) || negates(b, a);
}

// Whether `name` and `row`, cut at underscores, have as many words and two words in the same
// place are opposites: then the row is what the name is not (GET_BROKER is not SET_BROKER, and
// GET_BROKR is not either).
bool namesTheOpposite(std::string_view name, std::string_view row) {
  bool opposite = false;
  while (true) {
    const std::size_t nameCut = std::min(name.find('_'), name.size());
    const std::size_t rowCut = std::min(row.find('_'), row.size());
    opposite = opposite || areOpposites(name.substr(0, nameCut), row.substr(0, rowCut));
    const bool nameEnds = nameCut == name.size();
    if (nameEnds != (rowCut == row.size())) return false;  // not as many words
    if (nameEnds) return opposite;
    name.remove_prefix(nameCut + 1);
    row.remove_prefix(rowCut + 1);
  }
}

bool isUpper(char c) {
  return c >= 'A' && c <= 'Z';
}
bool isLower(char c) {
  return c >= 'a' && c <= 'z';
}

// "WQNGlobalScopeGUID" as "WQN_GLOBAL_SCOPE_GUID": a word ends before a capital that follows a
// small letter, or that follows a capital and comes before a small letter.
std::string upperSnakeCase(std::string_view name) {
  std::string snake;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const bool cut = i > 0 && isUpper(name[i]) &&
                     (isLower(name[i - 1]) ||
                      (isUpper(name[i - 1]) && i + 1 < name.size() && isLower(name[i + 1])));
    if (cut) snake += '_';
    snake += isLower(name[i]) ? static_cast<char>(name[i] - 'a' + 'A') : name[i];
  }
  return snake;
}

}  // namespace

Suggester::Suggester(const Registry& tables, const std::vector<SymbolEntry>& placeholders) {
  for (std::size_t t = 0; t < tables.size(); ++t) {
    const SymbolTable& table = *tables[t];
    Type type{table.typeName, sharedBeginning(table.rows), "", "", {}, {}, {}, {}};
    const std::size_t underscore = type.shared.rfind('_');
    if (underscore != std::string::npos) type.prefix = type.shared.substr(0, underscore + 1);
    type.leading = type.prefix.empty() ? camelPrefix(type.shared, table.rows) : type.prefix;
    for (const SymbolEntry& row : table.rows) {
      type.byLength.push_back(row.name);
      const auto [owner, added] = rowOwner_.emplace(row.name, t);
      if (!added && owner->second != t) owner->second = kAmbiguous;
    }
    std::stable_sort(
        type.byLength.begin(), type.byLength.end(),
        [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
    for (const std::string& row : type.byLength) type.letters.push_back(lettersOf(row));
    type.prefixLetters = lettersOf(type.prefix);
    for (std::size_t r = 0; r < type.byLength.size(); ++r) {
      type.firstOfLength.resize(type.byLength[r].size() + 1, r);
    }
    types_.push_back(std::move(type));
  }
  remembered_.resize(kRememberedPlaces);
  for (const SymbolEntry& entry : placeholders) {
    placeholders_.push_back(entry.name);
    placeholderLetters_.push_back(lettersOf(entry.name));
    snakeCase_.push_back(upperSnakeCase(entry.name));
    longestSnakeCase_ = std::max(longestSnakeCase_, snakeCase_.back().size());
    shortestPlaceholder_ = std::min(shortestPlaceholder_, entry.name.size());
    longestPlaceholder_ = std::max(longestPlaceholder_, entry.name.size());
  }
}

Suggester::Letters Suggester::lettersOf(std::string_view name) {
  Letters letters{};
  if (name.size() > UINT8_MAX) {
    countLetters(letters, name);
    return letters;
  }
  // No count can reach the most a count holds.
  for (char byte : name) ++letters[static_cast<unsigned char>(byte) & 31U];
  return letters;
}

void Suggester::countLetters(Letters& letters, std::string_view name) {
  for (char byte : name) {
    std::uint8_t& count = letters[static_cast<unsigned char>(byte) & 31U];  // 'A' and 'a' alike
    if (count < UINT8_MAX) ++count;
  }
}

std::size_t Suggester::fewestEdits(const Letters& a, const Letters& b) {
  // Written as a plain sum of absolute differences, which compilers turn into a few vector
  // instructions.
  std::uint32_t difference = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    difference += static_cast<std::uint32_t>(std::abs(int{a[i]} - int{b[i]}));
  }
  return (difference + 1) / 2;
}

std::pair<std::size_t, std::size_t> Suggester::lengthRange(const Type& type, std::size_t shortest,
                                                           std::size_t longest) {
  const auto firstOf = [&type](std::size_t length) {
    return length < type.firstOfLength.size() ? type.firstOfLength[length] : type.byLength.size();
  };
  return {firstOf(shortest), firstOf(longest + 1)};
}

const std::string* Suggester::closestRow(const Type& type, std::string_view name) {
  // Rows equal to a name without regard to case have the same letters: most are ruled out by
  // comparing those.
  const Letters letters = lettersOf(name);
  const std::string* sameLetters = nullptr;
  const auto [sameFirst, sameLast] = lengthRange(type, name.size(), name.size());
  for (std::size_t r = sameFirst; r < sameLast; ++r) {
    if (type.letters[r] == letters && equalIgnoringCase(type.byLength[r], name)) {
      if (sameLetters != nullptr) return nullptr;
      sameLetters = &type.byLength[r];
    }
  }
  if (sameLetters != nullptr) return sameLetters;

  if (!type.prefix.empty() && !startsWithIgnoringCase(name, type.prefix)) {
    Letters completed = type.prefixLetters;
    countLetters(completed, name);
    const std::size_t length = type.prefix.size() + name.size();
    const auto [first, last] = lengthRange(type, length, length);
    for (std::size_t r = first; r < last; ++r) {
      const std::string_view row = type.byLength[r];
      if (type.letters[r] == completed &&
          equalIgnoringCase(row.substr(0, type.prefix.size()), type.prefix) &&
          equalIgnoringCase(row.substr(type.prefix.size()), name)) {
        return &type.byLength[r];
      }
    }
  }

  // Only rows within kMaxEdits of the name's length can be within kMaxEdits edits.
  const auto [first, last] =
      lengthRange(type, name.size() - std::min(name.size(), kMaxEdits), name.size() + kMaxEdits);
  const std::string* best = nullptr;
  std::size_t bestDistance = kMaxEdits + 1;
  bool tied = false;
  for (std::size_t r = first; r < last; ++r) {
    if (fewestEdits(letters, type.letters[r]) > bestDistance) continue;
    const std::size_t distance = damerauDistanceWithin(name, type.byLength[r], bestDistance);
    if (distance < bestDistance) {
      best = &type.byLength[r], bestDistance = distance, tied = false;
    } else if (distance == bestDistance && best != nullptr) {
      tied = true;
    }
  }
  // The closest row, when it means the opposite, is the one row not to suggest; and as it is the
  // closest, no other row is meant more clearly.
  if (tied || (best != nullptr && namesTheOpposite(name, *best))) return nullptr;
  return best;
}

const std::string& Suggester::rowFor(std::size_t type, std::string_view name) {
  static const std::string kNone;
  const std::size_t hash = std::hash<std::string_view>{}(name) ^ (type * 0x9E3779B97F4A7C15ULL);
  Remembered& place = remembered_[hash & (kRememberedPlaces - 1)];
  if (place.type != type || place.name != name) {
    place.type = type;
    place.name.assign(name);
    place.row = closestRow(types_[type], name);
  }
  return place.row != nullptr ? *place.row : kNone;
}

std::optional<std::size_t> Suggester::typeFor(std::string_view word) const {
  std::optional<std::size_t> best;
  std::size_t bestDistance = kMaxEdits + 1;
  bool tied = false;
  for (std::size_t t = 0; t < types_.size(); ++t) {
    if (equalIgnoringCase(word, types_[t].name)) return t;
    const std::size_t distance = damerauDistanceWithin(word, types_[t].name, bestDistance);
    if (distance < bestDistance) {
      best = t, bestDistance = distance, tied = false;
    } else if (distance == bestDistance && best) {
      tied = true;
    }
  }
  return tied ? std::nullopt : best;
}

bool Suggester::readsAsRowOf(std::size_t type, std::string_view name) {
  const std::string& leading = types_[type].leading;
  return (!leading.empty() && name.substr(0, leading.size()) == leading) ||
         !rowFor(type, name).empty();
}

std::optional<std::size_t> Suggester::typeWithRow(std::string_view name) const {
  const auto owner = rowOwner_.find(std::string(name));
  if (owner == rowOwner_.end() || owner->second == kAmbiguous) return std::nullopt;
  return owner->second;
}

const std::string* Suggester::placeholderFor(std::string_view word) const {
  const Letters letters = lettersOf(word);
  for (std::size_t p = 0; p < placeholders_.size(); ++p) {
    const std::string& name = placeholders_[p];
    if (word != name && fewestEdits(letters, placeholderLetters_[p]) <= kMaxEdits &&
        damerauDistanceWithin(word, name, kMaxEdits) <= kMaxEdits) {
      return &name;
    }
  }
  return nullptr;
}

const std::string* Suggester::placeholderInSnakeCase(std::string_view run) const {
  for (std::size_t p = 0; p < placeholders_.size(); ++p) {
    if (run == snakeCase_[p] && run != placeholders_[p]) return &placeholders_[p];
  }
  return nullptr;
}

}  // namespace wqnprep
