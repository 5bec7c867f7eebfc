// What the language server tells about the symbols at a place in a line: the completions there
// and the hover text. Offsets are bytes into the line.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wqnprep::lsp {

// Kinds as the protocol numbers them.
enum class CompletionKind { kEnum = 13, kEnumMember = 20, kConstant = 21 };

struct CompletionItem {
  std::string label;
  std::string detail;  // "OPID_LICENSE_GENERALREAD — 1"
  CompletionKind kind = CompletionKind::kEnumMember;
};

struct Completions {
  std::size_t from = 0;  // what is typed, which an item replaces: from here to the cursor
  std::vector<CompletionItem> items;
};

// After a type name and "::", the rows of the type that begin with what follows (in any case);
// after a word in progress, the type names and placeholders that begin with it. Nothing after
// any other word and "::" (a cast: x::int), nor in a comment or a string literal.
Completions completionsAt(std::string_view line, std::size_t cursor);

struct Hover {
  std::size_t from = 0;  // the token's bytes
  std::size_t to = 0;
  std::string markdown;
};

// On a token: its type, row and value; on a placeholder: its value; on a type name: its rows.
std::optional<Hover> hoverAt(std::string_view line, std::size_t at);

// Whether `cursor` is in a "--" comment, a block comment begun on the line, or a string literal.
bool inCommentOrString(std::string_view line, std::size_t cursor);

}  // namespace wqnprep::lsp
