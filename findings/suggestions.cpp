#include "findings/suggestions.h"

#include <algorithm>

#include "text/edit_distance.h"

namespace wqnprep {
namespace {

constexpr std::size_t kAmbiguous = SIZE_MAX;

// Enough for every distinct misspelling of a real script; a generated one with millions only
// starts over now and then.
constexpr std::size_t kRememberedLimit = 1U << 14;

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

bool startsWithIgnoringCase(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && equalIgnoringCase(text.substr(0, start.size()), start);
}

}  // namespace

Suggester::Suggester(const Registry& tables, const std::vector<SymbolEntry>& untyped) {
  for (std::size_t t = 0; t < tables.size(); ++t) {
    const SymbolTable& table = *tables[t];
    Type type{table.typeName, sharedBeginning(table.rows), "", {}};
    const std::size_t underscore = type.shared.rfind('_');
    if (underscore != std::string::npos) type.prefix = type.shared.substr(0, underscore + 1);
    for (const SymbolEntry& row : table.rows) {
      type.byLength.push_back(row.name);
      const auto [owner, added] = rowOwner_.emplace(row.name, t);
      if (!added && owner->second != t) owner->second = kAmbiguous;
    }
    std::stable_sort(
        type.byLength.begin(), type.byLength.end(),
        [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
    types_.push_back(std::move(type));
  }
  for (const SymbolEntry& entry : untyped) {
    untyped_.push_back(entry.name);
    shortestUntyped_ = std::min(shortestUntyped_, entry.name.size());
    longestUntyped_ = std::max(longestUntyped_, entry.name.size());
  }
}

std::string Suggester::closestRow(const Type& type, std::string_view name) const {
  const std::string* sameLetters = nullptr;
  for (const std::string& row : type.byLength) {
    if (row.size() == name.size() && equalIgnoringCase(row, name)) {
      if (sameLetters != nullptr) return "";
      sameLetters = &row;
    }
  }
  if (sameLetters != nullptr) return *sameLetters;

  if (!type.prefix.empty() && !startsWithIgnoringCase(name, type.prefix)) {
    const std::string completed = type.prefix + std::string(name);
    for (const std::string& row : type.byLength) {
      if (equalIgnoringCase(row, completed)) return row;
    }
  }

  // Only rows within kMaxEdits of the name's length can be within kMaxEdits edits.
  const auto first = std::lower_bound(
      type.byLength.begin(), type.byLength.end(), name.size() - std::min(name.size(), kMaxEdits),
      [](const std::string& row, std::size_t size) { return row.size() < size; });
  const std::string* best = nullptr;
  std::size_t bestDistance = kMaxEdits + 1;
  bool tied = false;
  for (auto row = first; row != type.byLength.end() && row->size() <= name.size() + kMaxEdits;
       ++row) {
    const std::size_t distance = damerauDistanceWithin(name, *row, bestDistance);
    if (distance < bestDistance) {
      best = &*row, bestDistance = distance, tied = false;
    } else if (distance == bestDistance && best != nullptr) {
      tied = true;
    }
  }
  return best != nullptr && !tied ? *best : "";
}

const std::string& Suggester::rowFor(std::size_t type, std::string_view name) {
  std::string key(1, static_cast<char>(type));
  key += name;
  if (const auto known = remembered_.find(key); known != remembered_.end()) return known->second;
  if (remembered_.size() >= kRememberedLimit) remembered_.clear();
  return remembered_.emplace(std::move(key), closestRow(types_[type], name)).first->second;
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
  const std::string& shared = types_[type].shared;
  return (!shared.empty() && name.substr(0, shared.size()) == shared) ||
         !rowFor(type, name).empty();
}

std::optional<std::size_t> Suggester::typeWithRow(std::string_view name) const {
  const auto owner = rowOwner_.find(std::string(name));
  if (owner == rowOwner_.end() || owner->second == kAmbiguous) return std::nullopt;
  return owner->second;
}

const std::string* Suggester::untypedFor(std::string_view word) const {
  for (const std::string& name : untyped_) {
    if (word != name && damerauDistanceWithin(word, name, kMaxEdits) <= kMaxEdits) return &name;
  }
  return nullptr;
}

}  // namespace wqnprep
