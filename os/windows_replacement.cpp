// The Windows way to replace a file by a new one: written beside it, then swapped in by
// ReplaceFileW, which keeps the replaced file's access control list and attributes.
#include <string>

#include "os/file.h"
#include "os/windows_support.h"

namespace wqnprep::os {
namespace {

using windows::lastError;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens whatever is at `path`, a folder too, without asking for access to its content; symbolic
// links are followed.
HANDLE openToInspect(const std::wstring& path) {
  return ::CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Attempts to create the file of a name several times before giving up: each name is random.
constexpr int kAttempts = 100;

}  // namespace

std::string finalPath(const std::string& path) {
  std::wstring wide;
  if (windows::toWide(path, wide)) return path;
  // Only a symbolic link (or another reparse point) in the last place leads elsewhere: the
  // folders on the way do not change which folder the file is in.
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
    return path;
  const HANDLE handle = openToInspect(wide);
  if (handle == INVALID_HANDLE_VALUE) return path;
  std::wstring final(MAX_PATH, L'\0');
  DWORD length = ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()),
                                             VOLUME_NAME_DOS);
  if (length >= final.size()) {
    final.resize(length);
    length = ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()),
                                         VOLUME_NAME_DOS);
  }
  ::CloseHandle(handle);
  if (length == 0 || length >= final.size()) return path;
  final.resize(length);
  return windows::toUtf8(final);
}

std::error_code inspectPath(const std::string& path, FileInfo& info) {
  std::wstring wide;
  if (const std::error_code error = windows::toWide(path, wide)) return error;
  const HANDLE handle = openToInspect(wide);
  if (handle == INVALID_HANDLE_VALUE) return lastError();
  const std::error_code error = windows::describe(handle, info);
  ::CloseHandle(handle);
  return error;
}

std::error_code createBeside(const std::string& target, const FileInfo* like, File& file,
                             std::string& created) {
  const std::string::size_type separator = target.find_last_of("/\\");
  const std::string folder = separator == std::string::npos ? "" : target.substr(0, separator + 1);
  const std::string base = separator == std::string::npos ? target : target.substr(separator + 1);
  std::wstring pattern;
  if (const std::error_code error =
          windows::toWide(folder + "." + base + ".wqnprep-XXXXXX", pattern))
    return error;
  // A replaced file's access control list and attributes are carried over when it is replaced;
  // a new file gets its folder's, as it would written in place. A read-only file is not
  // replaced: the system refuses that, as it refuses writing to it.
  (void)like;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::wstring name = windows::randomName(pattern);
    const HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      file = File(windows::toHandle(handle), true);
      created = windows::toUtf8(name);
      return {};
    }
    const DWORD code = ::GetLastError();
    if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) return windows::errorFrom(code);
  }
  return windows::errorFrom(ERROR_FILE_EXISTS);
}

std::error_code replaceFile(const std::string& from, const std::string& to) {
  std::wstring source;
  std::wstring destination;
  std::wstring given;
  // Absolute paths: not every implementation of ReplaceFileW takes relative ones.
  if (const std::error_code error = windows::toWide(from, given)) return error;
  if (const std::error_code error = windows::fullPath(given, source)) return error;
  if (const std::error_code error = windows::toWide(to, given)) return error;
  if (const std::error_code error = windows::fullPath(given, destination)) return error;
  if (::ReplaceFileW(destination.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                     nullptr, nullptr)) {
    return {};
  }
  // ReplaceFileW needs a file to replace; where there is none yet, the new one is moved there.
  if (::GetLastError() != ERROR_FILE_NOT_FOUND) return lastError();
  if (!::MoveFileExW(source.c_str(), destination.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return lastError();
  }
  return {};
}

void removeFile(const std::string& path) noexcept {
  std::wstring wide;
  try {
    if (windows::toWide(path, wide)) return;
  } catch (...) {
    return;  // no memory for the name; the caller has nothing left to report it to either
  }
  (void)::DeleteFileW(wide.c_str());
}

}  // namespace wqnprep::os
