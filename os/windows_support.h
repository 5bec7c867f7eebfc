// Helpers shared by the Windows implementation files; not part of the interface.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <system_error>

#include "os/file.h"

namespace wqnprep::os::windows {

// Win32 error codes (GetLastError) with the system's own text for each, as FormatMessage gives
// it, and the portable condition where there is one, so that callers can compare with std::errc.
const std::error_category& errorCategory() noexcept;

inline std::error_code errorFrom(DWORD code) {
  return {static_cast<int>(code), errorCategory()};
}

inline std::error_code lastError() {
  return errorFrom(::GetLastError());
}

inline HANDLE handleOf(const File& file) {
  return reinterpret_cast<HANDLE>(file.handle());
}

inline File::Handle toHandle(HANDLE handle) {
  return reinterpret_cast<File::Handle>(handle);
}

// Paths are UTF-8 everywhere above this layer; the system takes UTF-16.
std::error_code toWide(const std::string& text, std::wstring& wide);
// Refuses text that is not UTF-16 (an unpaired surrogate), which would name another file.
std::error_code toUtf8(const wchar_t* text, std::size_t size, std::string& utf8);
// For text that is only shown: what is not UTF-16 becomes U+FFFD.
std::string toUtf8(const wchar_t* text, std::size_t size);
inline std::string toUtf8(const std::wstring& text) {
  return toUtf8(text.data(), text.size());
}

// What the system tells about the file, directory or device behind `handle`.
std::error_code describe(HANDLE handle, FileInfo& info);

// A name nobody has used yet is likely: "XXXXXX" in a pattern becomes six random characters.
std::wstring randomName(std::wstring pattern);

}  // namespace wqnprep::os::windows
