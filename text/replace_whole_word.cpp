#include "text/replace_whole_word.h"

#include "text/word_chars.h"

namespace wqnprep {

void replaceWholeWord(std::string& line, const std::string& token, const std::string& value) {
  if (token.empty()) return;
  std::string::size_type pos = line.find(token);
  while (pos != std::string::npos) {
    const std::string::size_type end = pos + token.size();
    const bool cleanLeft = pos == 0 || !isWordChar(line[pos - 1]);
    const bool cleanRight = end >= line.size() || !isWordChar(line[end]);
    std::string::size_type next = end;
    if (cleanLeft && cleanRight) {
      line.replace(pos, token.size(), value);
      next = pos + value.size();
    }
    if (next >= line.size()) return;
    pos = line.find(token, next);
  }
}

}  // namespace wqnprep
