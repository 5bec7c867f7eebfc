#include "app/diagnostics.h"

#include <algorithm>

#include "symbols/tables.h"
#include "text/edit_distance.h"

namespace wqnprep {

std::string closestRowName(std::size_t type, std::string_view name) {
  const SymbolTable& table = *registry()[type];
  // Close enough: a slip of a letter or two, more in a long name.
  const std::size_t tolerance = std::max<std::size_t>(2, name.size() / 6);
  std::string best;
  std::size_t bestDistance = tolerance + 1;
  for (const SymbolEntry& row : table.rows) {
    const std::size_t distance = editDistanceIgnoringCase(name, row.name);
    if (distance < bestDistance) best = row.name, bestDistance = distance;
  }
  return best;
}

std::string formatUnknown(const std::string& file, const char* severity,
                          const UnknownEnumerator& unknown) {
  std::string name(unknown.name);
  if (unknown.nameCut) name += "...";
  std::string message = file + ":" + std::to_string(unknown.line) + ":" +
                        std::to_string(unknown.column) + ": " + severity +
                        ": unknown enumerator '" + name + "' of '" +
                        registry()[unknown.type]->typeName + "'";
  if (!unknown.nameCut) {
    const std::string suggestion = closestRowName(unknown.type, unknown.name);
    if (!suggestion.empty()) message += "; did you mean '" + suggestion + "'?";
  }
  return message;
}

}  // namespace wqnprep
