#include "text/edit_distance.h"

#include <algorithm>
#include <array>
#include <vector>

namespace wqnprep {
namespace {

char lower(char byte) {
  return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + 32) : byte;
}

}  // namespace

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return lower(x) == lower(y); });
}

std::size_t damerauDistanceWithin(std::string_view a, std::string_view b, std::size_t limit) {
  const std::size_t over = limit + 1;
  // What both begin and end with costs nothing; names of one type share long beginnings.
  while (!a.empty() && !b.empty() && lower(a.front()) == lower(b.front())) {
    a.remove_prefix(1), b.remove_prefix(1);
  }
  while (!a.empty() && !b.empty() && lower(a.back()) == lower(b.back())) {
    a.remove_suffix(1), b.remove_suffix(1);
  }
  if ((a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) > limit) return over;
  if (a.empty() || b.empty()) return std::max(a.size(), b.size());

  // Three rows of the classic table. Cells more than `limit` off the diagonal cannot be within
  // the limit: they are never computed, and those next to the band hold `over`.
  const std::size_t width = b.size() + 1;
  constexpr std::size_t kShort = 96;  // names are short: their rows live on the stack
  std::array<std::size_t, 3 * kShort> small;
  std::vector<std::size_t> large(width > kShort ? 3 * width : 0);
  std::size_t* cells = width > kShort ? large.data() : small.data();
  std::fill(cells, cells + 3 * width, over);
  std::size_t* previous = cells;
  std::size_t* row = cells + width;
  std::size_t* current = cells + 2 * width;
  for (std::size_t j = 0; j <= std::min(b.size(), limit); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    const std::size_t from = i > limit ? i - limit : 1;
    const std::size_t to = std::min(b.size(), i + limit);
    current[from - 1] = from == 1 && i <= limit ? i : over;
    if (to < b.size()) current[to + 1] = over;
    std::size_t best = current[from - 1];
    for (std::size_t j = from; j <= to; ++j) {
      const bool same = lower(a[i - 1]) == lower(b[j - 1]);
      std::size_t cell = std::min({row[j] + 1, current[j - 1] + 1, row[j - 1] + (same ? 0 : 1)});
      if (i > 1 && j > 1 && lower(a[i - 1]) == lower(b[j - 2]) &&
          lower(a[i - 2]) == lower(b[j - 1])) {
        cell = std::min(cell, previous[j - 2] + 1);
      }
      current[j] = std::min(cell, over);
      best = std::min(best, current[j]);
    }
    if (best > limit) return over;  // every later row is at least as far
    std::swap(previous, row);
    std::swap(row, current);
  }
  return std::min(row[b.size()], over);
}

}  // namespace wqnprep
