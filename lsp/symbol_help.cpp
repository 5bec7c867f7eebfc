#include "lsp/symbol_help.h"

#include <unordered_map>

#include "symbols/tables.h"
#include "text/word_chars.h"

namespace wqnprep::lsp {
namespace {

bool isNameByte(char byte) {
  return hasClass(byte, kNameByte);
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (prefix.size() > text.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(text[i]) != lower(prefix[i])) return false;
  }
  return true;
}

// The typed tables by type name, and each table's rows by name.
struct Lookup {
  std::unordered_map<std::string_view, const SymbolTable*> types;
  std::unordered_map<const SymbolTable*, std::unordered_map<std::string_view, const SymbolEntry*>>
      rows;

  Lookup() {
    for (const SymbolTable* table : registry()) {
      types.emplace(table->typeName, table);
      for (const SymbolEntry& entry : table->rows) rows[table].emplace(entry.name, &entry);
    }
  }
  const SymbolTable* type(std::string_view name) const {
    const auto found = types.find(name);
    return found == types.end() ? nullptr : found->second;
  }
  const SymbolEntry* row(const SymbolTable* table, std::string_view name) const {
    const auto& byName = rows.at(table);
    const auto found = byName.find(name);
    return found == byName.end() ? nullptr : found->second;
  }
};

const Lookup& lookup() {
  static const Lookup tables;
  return tables;
}

const SymbolEntry* placeholder(std::string_view name) {
  for (const SymbolEntry& entry : globalScopeList()) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

std::size_t nameStartBefore(std::string_view line, std::size_t at) {
  while (at > 0 && isNameByte(line[at - 1])) --at;
  return at;
}

std::size_t nameEndFrom(std::string_view line, std::size_t at) {
  while (at < line.size() && isNameByte(line[at])) ++at;
  return at;
}

bool colonsAt(std::string_view line, std::size_t at) {
  return line.substr(at, 2) == "::";
}

std::string valueDetail(const SymbolEntry& entry) {
  return entry.name + " \xE2\x80\x94 " + entry.value;  // an em dash
}

std::string tokenHover(const SymbolTable& table, const SymbolEntry& row) {
  return "`" + table.typeName + "::" + row.name + "` becomes `" + row.value + "`\n\ntype `" +
         table.typeName + "`, row `" + row.name + "`";
}

}  // namespace

bool inCommentOrString(std::string_view line, std::size_t cursor) {
  bool inString = false;
  for (std::size_t i = 0; i < cursor && i < line.size(); ++i) {
    if (inString) {
      inString = line[i] != '\'';
      continue;
    }
    if (line[i] == '\'') inString = true;
    if (line.substr(i, 2) == "--") return true;
    if (line.substr(i, 2) == "/*") {
      const std::size_t close = line.find("*/", i + 2);
      if (close == std::string_view::npos || close + 2 > cursor) return true;
      i = close + 1;
    }
  }
  return inString;
}

Completions completionsAt(std::string_view line, std::size_t cursor) {
  Completions completions;
  cursor = std::min(cursor, line.size());
  const std::size_t from = nameStartBefore(line, cursor);
  completions.from = from;
  if (inCommentOrString(line, from)) return completions;
  const std::string_view typed = line.substr(from, cursor - from);
  if (from >= 2 && colonsAt(line, from - 2)) {
    const std::size_t typeStart = nameStartBefore(line, from - 2);
    const SymbolTable* table = lookup().type(line.substr(typeStart, from - 2 - typeStart));
    if (table == nullptr) return completions;
    for (const SymbolEntry& row : table->rows) {
      if (startsWithIgnoringCase(row.name, typed))
        completions.items.push_back({row.name, valueDetail(row), CompletionKind::kEnumMember});
    }
    return completions;
  }
  if (from >= 1 && line[from - 1] == ':') return completions;
  for (const SymbolTable* table : registry()) {
    if (startsWithIgnoringCase(table->typeName, typed)) {
      completions.items.push_back(
          {table->typeName, std::to_string(table->rows.size()) + " rows", CompletionKind::kEnum});
    }
  }
  for (const SymbolEntry& entry : globalScopeList()) {
    if (startsWithIgnoringCase(entry.name, typed))
      completions.items.push_back({entry.name, valueDetail(entry), CompletionKind::kConstant});
  }
  return completions;
}

std::optional<Hover> hoverAt(std::string_view line, std::size_t at) {
  // On the colons of a token, the name before them.
  if (at < line.size() && line[at] == ':') {
    if (at >= 1 && isNameByte(line[at - 1])) {
      at -= 1;
    } else if (at >= 2 && line[at - 1] == ':' && isNameByte(line[at - 2])) {
      at -= 2;
    }
  }
  if (at >= line.size() || !isNameByte(line[at])) return std::nullopt;
  const std::size_t start = nameStartBefore(line, at);
  const std::size_t end = nameEndFrom(line, at);
  const std::string_view word = line.substr(start, end - start);
  if (const SymbolTable* table = lookup().type(word)) {
    if (colonsAt(line, end)) {
      const std::size_t rowEnd = nameEndFrom(line, end + 2);
      if (const SymbolEntry* row = lookup().row(table, line.substr(end + 2, rowEnd - end - 2)))
        return Hover{start, rowEnd, tokenHover(*table, *row)};
    }
    return Hover{start, end,
                 "type `" + table->typeName + "`, " + std::to_string(table->rows.size()) + " rows"};
  }
  if (start >= 2 && colonsAt(line, start - 2)) {
    const std::size_t typeStart = nameStartBefore(line, start - 2);
    if (const SymbolTable* table = lookup().type(line.substr(typeStart, start - 2 - typeStart))) {
      if (const SymbolEntry* row = lookup().row(table, word))
        return Hover{typeStart, end, tokenHover(*table, *row)};
    }
    return std::nullopt;
  }
  if (const SymbolEntry* entry = placeholder(word)) {
    return Hover{start, end, "`" + entry->name + "` becomes `" + entry->value + "`\n\nplaceholder"};
  }
  return std::nullopt;
}

}  // namespace wqnprep::lsp
