// Incremental changes to an open document: the text, and its lines as a document made afresh
// from that text has them, with positions in UTF-16 code units.
#include <gtest/gtest.h>

#include <string>

#include "lsp/text_document.h"

namespace wqnprep::lsp {
namespace {

struct Change {
  const char* name;
  std::string before;
  Range range;
  std::string text;
  std::string after;
};

class TextDocumentChange : public ::testing::TestWithParam<Change> {};

TEST_P(TextDocumentChange, GivesTheTextAndLinesOfADocumentMadeAfresh) {
  TextDocument document(GetParam().before);
  document.replace(GetParam().range, GetParam().text);
  EXPECT_EQ(document.text(), GetParam().after);
  const TextDocument fresh(GetParam().after);
  ASSERT_EQ(document.lineCount(), fresh.lineCount());
  for (std::size_t line = 0; line < fresh.lineCount(); ++line)
    EXPECT_EQ(document.line(line), fresh.line(line)) << "line " << line;
}

INSTANTIATE_TEST_SUITE_P(
    Edits, TextDocumentChange,
    ::testing::Values(
        Change{"TypedCharacter", "ab\ncd\n", {{1, 1}, {1, 1}}, "x", "ab\ncxd\n"},
        Change{"NewLinesInserted", "ab\ncd\nef", {{0, 1}, {0, 1}}, "1\n2\n", "a1\n2\nb\ncd\nef"},
        Change{"LinesJoined", "ab\ncd\nef\ngh", {{0, 1}, {2, 1}}, "", "af\ngh"},
        Change{"LinesReplacedByLines", "ab\ncd\nef", {{1, 0}, {2, 0}}, "x\ny\n", "ab\nx\ny\nef"},
        Change{"CarriageReturnIsPartOfTheLineEnd", "ab\r\ncd", {{0, 2}, {0, 2}}, "!", "ab!\r\ncd"},
        Change{"AfterASurrogatePair",
               "\xF0\x9F\x98\x80x\n",
               {{0, 2}, {0, 3}},
               "\xC3\xA9",
               "\xF0\x9F\x98\x80\xC3\xA9\n"},
        Change{"PastTheLineEndIsItsEnd", "ab\ncd", {{0, 9}, {1, 0}}, "", "abcd"},
        Change{"PastTheLastLineIsTheEnd", "ab", {{5, 0}, {6, 0}}, "\nz", "ab\nz"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace wqnprep::lsp
