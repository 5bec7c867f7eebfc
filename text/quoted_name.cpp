#include "text/quoted_name.h"

#include <algorithm>

namespace wqnprep {
namespace {

bool isControl(char byte) {
  const auto code = static_cast<unsigned char>(byte);
  return code < 0x20 || code == 0x7f;
}

// A control character inside $'...'.
void appendEscaped(std::string& out, char byte) {
  switch (byte) {
    case '\a':
      out += "\\a";
      return;
    case '\b':
      out += "\\b";
      return;
    case '\t':
      out += "\\t";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\v':
      out += "\\v";
      return;
    case '\f':
      out += "\\f";
      return;
    case '\r':
      out += "\\r";
      return;
    default: {
      const auto code = static_cast<unsigned char>(byte);
      out += '\\';
      out += static_cast<char>('0' + (code >> 6));
      out += static_cast<char>('0' + ((code >> 3) & 7));
      out += static_cast<char>('0' + (code & 7));
    }
  }
}

bool needsQuoting(std::string_view name) {
  return std::any_of(name.begin(), name.end(), isControl);
}

// Runs of ordinary bytes go in '...', runs of control characters in $'...', and a single quote,
// which neither can hold, as \'.
std::string shellQuoted(std::string_view name) {
  std::string out;
  std::size_t at = 0;
  while (at < name.size()) {
    if (isControl(name[at])) {
      out += "$'";
      for (; at < name.size() && isControl(name[at]); ++at) appendEscaped(out, name[at]);
      out += '\'';
    } else if (name[at] == '\'') {
      out += "\\'";
      ++at;
    } else {
      out += '\'';
      for (; at < name.size() && !isControl(name[at]) && name[at] != '\''; ++at) out += name[at];
      out += '\'';
    }
  }
  return out;
}

}  // namespace

std::string printableName(std::string_view name) {
  return needsQuoting(name) ? shellQuoted(name) : std::string(name);
}

std::string quotedName(std::string_view name) {
  if (needsQuoting(name)) return shellQuoted(name);
  std::string quoted;
  quoted.reserve(name.size() + 2);
  quoted += '\'';
  quoted += name;
  quoted += '\'';
  return quoted;
}

}  // namespace wqnprep
