// Wildcards in paths, expanded as a shell would: Windows programs get them as typed.
#include <windows.h>

#include <algorithm>

#include "os/windows_arguments.h"
#include "os/windows_support.h"

namespace wqnprep::os::windows {
namespace {

bool isSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

bool hasWildcard(std::wstring_view text) {
  return text.find_first_of(L"*?") != std::wstring_view::npos;
}

// What no wildcard is looked for in: a drive ("C:"), a root ("\", "C:\"), or a share or device
// prefix ("\\server\share\", "\\?\C:\").
std::size_t rootLength(std::wstring_view path) {
  std::size_t at = 0;
  if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
    at = 2;
    for (int part = 0; part < 2 && at < path.size(); ++part) {
      while (at < path.size() && !isSeparator(path[at])) ++at;
      if (at < path.size()) ++at;
    }
  } else if (path.size() >= 2 && path[1] == L':') {
    at = 2;
  }
  while (at < path.size() && isSeparator(path[at])) ++at;
  return at;
}

// Upper case, as names compare on Windows: the same in every language.
std::wstring folded(std::wstring_view text) {
  std::wstring result(text);
  if (!result.empty()) {
    (void)::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.data(),
                          static_cast<int>(text.size()), result.data(),
                          static_cast<int>(result.size()), nullptr, nullptr, 0);
  }
  return result;
}

// Where the character at `at` ends; a surrogate pair is one character.
std::size_t characterEnd(std::wstring_view text, std::size_t at) {
  const bool pair =
      IS_HIGH_SURROGATE(text[at]) && at + 1 < text.size() && IS_LOW_SURROGATE(text[at + 1]);
  return at + (pair ? 2 : 1);
}

// Both folded. The system's own matching is not used: it also matches the short 8.3 names, so
// that "*.sql" would take "a.sqlite" (short name A~1.SQL).
bool matches(std::wstring_view pattern, std::wstring_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t afterStar = std::wstring_view::npos;
  std::size_t starMatchedUpTo = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == L'*') {
      afterStar = ++p;
      starMatchedUpTo = n;
    } else if (p < pattern.size() && pattern[p] == L'?') {
      ++p;
      n = characterEnd(name, n);
    } else if (p < pattern.size() && pattern[p] == name[n]) {
      ++p;
      ++n;
    } else if (afterStar != std::wstring_view::npos) {
      // The last '*' takes one more character, and the rest is tried again after it.
      starMatchedUpTo = characterEnd(name, starMatchedUpTo);
      n = starMatchedUpTo;
      p = afterStar;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == L'*') ++p;
  return p == pattern.size();
}

// Each entry of `folder` ("" for the working folder, else ending in a separator or a drive's
// colon) that `component` matches; only folders when `foldersOnly`.
std::vector<std::wstring> matchesIn(const std::wstring& folder, std::wstring_view component,
                                    bool foldersOnly) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, 0);
  // A folder that is missing or cannot be read has nothing that matches, as in a shell.
  if (search == INVALID_HANDLE_VALUE) return names;
  const std::wstring pattern = folded(component);
  do {
    const std::wstring_view name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (name.front() == L'.' && component.front() != L'.') continue;
    if (foldersOnly && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) continue;
    if (matches(pattern, folded(name))) names.emplace_back(name);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return names;
}

bool exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// In the byte order of the paths, a separator counting as '/': the order a folder's files are
// taken in (app/input_paths.cpp), whichever separator was typed.
bool comesBefore(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(x == '\\' ? '/' : x) <
           static_cast<unsigned char>(y == '\\' ? '/' : y);
  });
}

}  // namespace

std::vector<std::string> matchingPaths(const std::string& pattern) {
  std::wstring wide;
  if (toWide(pattern, wide)) return {};
  const std::size_t root = rootLength(wide);
  if (!hasWildcard(std::wstring_view(wide).substr(root))) return {};

  // Each component in turn, the paths so far each ending where the next component goes; the
  // separators stay as typed.
  std::vector<std::wstring> paths{wide.substr(0, root)};
  bool literalTail = false;  // a component without wildcards since the last one with
  for (std::size_t start = root; start < wide.size() && !paths.empty();) {
    std::size_t end = start;
    while (end < wide.size() && !isSeparator(wide[end])) ++end;
    std::size_t next = end;
    while (next < wide.size() && isSeparator(wide[next])) ++next;
    const std::wstring_view component = std::wstring_view(wide).substr(start, end - start);
    const std::wstring_view separators = std::wstring_view(wide).substr(end, next - end);
    if (hasWildcard(component)) {
      std::vector<std::wstring> extended;
      for (const std::wstring& path : paths) {
        for (const std::wstring& name : matchesIn(path, component, !separators.empty()))
          extended.push_back(path + name + std::wstring(separators));
      }
      paths = std::move(extended);
      literalTail = false;
    } else {
      for (std::wstring& path : paths) path += std::wstring(wide, start, next - start);
      literalTail = true;
    }
    start = next;
  }
  if (literalTail) std::erase_if(paths, [](const std::wstring& path) { return !exists(path); });

  std::vector<std::string> result;
  result.reserve(paths.size());
  for (const std::wstring& path : paths) result.push_back(toUtf8(path));
  std::sort(result.begin(), result.end(), comesBefore);
  return result;
}

}  // namespace wqnprep::os::windows
