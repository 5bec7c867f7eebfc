// The Windows implementation of open files: Win32 handles, read and written as bytes, with no
// translation of line ends.
#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "os/file.h"
#include "os/windows_support.h"

namespace wqnprep::os {
namespace {

using windows::handleOf;
using windows::lastError;
using windows::toHandle;

// ReadFile and WriteFile take 32-bit sizes; larger requests go in pieces of this size.
constexpr DWORD kMaxTransfer = DWORD{1} << 30;

// Others may read, write, rename or delete the file meanwhile, as on POSIX systems: the check
// that the output is not the input is by file identity, not by locking.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::error_code openWith(const std::string& path, DWORD access, DWORD disposition, DWORD flags,
                         File& file) {
  std::wstring wide;
  if (const std::error_code error = windows::toWide(path, wide)) return error;
  const HANDLE handle =
      ::CreateFileW(wide.c_str(), access, kShareAll, nullptr, disposition, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = ::GetLastError();
    // Writing to a folder is refused as "access denied"; say what it is instead.
    if (code == ERROR_ACCESS_DENIED) {
      const DWORD attributes = ::GetFileAttributesW(wide.c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return std::make_error_code(std::errc::is_a_directory);
    }
    return windows::errorFrom(code);
  }
  file = File(toHandle(handle), true);
  return {};
}

bool isSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

struct Split {
  std::wstring folder;
  std::wstring name;
};

// The folder a path names a file in, and the file's name: C:\out\a.sql is in C:\out, C:\a.sql
// in C:\, C:a.sql in C:. (that drive's working folder), a.sql in the working folder.
Split splitFolder(const std::wstring& path) {
  const bool drive = path.size() >= 2 && path[1] == L':';
  const std::wstring::size_type separator = path.find_last_of(L"\\/");
  if (separator == std::wstring::npos) {
    if (drive) return {path.substr(0, 2) + L".", path.substr(2)};
    return {L".", path};
  }
  // A separator that is the root of its drive stays with the folder.
  const bool root = separator == 0 || (drive && separator == 2);
  return {path.substr(0, root ? separator + 1 : separator), path.substr(separator + 1)};
}

// A missing folder is "path not found", as the system says when the folder is on the way to a
// file; its "file not found" for the folder itself would tell two reasons for one case.
std::error_code folderError(DWORD code) {
  return windows::errorFrom(code == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : code);
}

File standardStream(DWORD which) {
  // Without such a stream the handle is null or invalid; using it then reports the error.
  return {toHandle(::GetStdHandle(which)), false};
}

}  // namespace

std::error_code File::inspect(FileInfo& info) const {
  return windows::describe(handleOf(*this), info);
}

std::error_code File::read(char* buffer, std::size_t size, std::size_t& got) {
  got = 0;
  DWORD count = 0;
  const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, kMaxTransfer));
  if (!::ReadFile(handleOf(*this), buffer, want, &count, nullptr)) {
    // The writing end of a pipe has gone: that is the end of the input, not a failure.
    if (::GetLastError() == ERROR_BROKEN_PIPE) return {};
    return lastError();
  }
  got = count;
  return {};
}

std::error_code File::readAt(char* buffer, std::size_t size, std::uint64_t offset,
                             std::size_t& got) {
  got = 0;
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD count = 0;
  const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, kMaxTransfer));
  if (!::ReadFile(handleOf(*this), buffer, want, &count, &at)) {
    if (::GetLastError() == ERROR_HANDLE_EOF) return {};  // past the end
    return lastError();
  }
  got = count;
  return {};
}

std::error_code File::write(const char* data, std::size_t size) {
  while (size > 0) {
    DWORD put = 0;
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, kMaxTransfer));
    if (!::WriteFile(handleOf(*this), data, piece, &put, nullptr)) return lastError();
    data += put;
    size -= put;
  }
  return {};
}

std::error_code File::truncate() {
  // The end of the file is set where the file pointer is: at the start.
  if (const std::error_code error = rewind()) return error;
  if (!::SetEndOfFile(handleOf(*this))) return lastError();
  return {};
}

std::error_code File::rewind() {
  LARGE_INTEGER start{};
  if (!::SetFilePointerEx(handleOf(*this), start, nullptr, FILE_BEGIN)) return lastError();
  return {};
}

std::error_code File::close() {
  const HANDLE closing = reinterpret_cast<HANDLE>(std::exchange(handle_, kNone));
  if (owned_ && closing != INVALID_HANDLE_VALUE && !::CloseHandle(closing)) return lastError();
  return {};
}

File standardInput() {
  return standardStream(STD_INPUT_HANDLE);
}

File standardOutput() {
  return standardStream(STD_OUTPUT_HANDLE);
}

std::error_code openForReading(const std::string& path, File& file) {
  // Folders open too, with this flag, so that the caller can tell the user it named a folder.
  return openWith(path, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, file);
}

std::error_code inspectPathAndLink(const std::string& path, FileInfo& info, bool& dangling) {
  dangling = isDanglingLink(path);
  return inspectPath(path, info);
}

// Handles, which files are opened as, run out only with memory.
std::size_t openFileLimit() {
  return SIZE_MAX;
}

std::error_code inspectPath(const std::string& path, FileInfo& info) {
  // No access asked for: enough to read the file's identity, whoever holds it open.
  File file;
  if (const std::error_code error =
          openWith(path, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, file))
    return error;
  return file.inspect(info);
}

std::error_code openForWriting(const std::string& path, File& file) {
  return openWith(path, GENERIC_WRITE, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, file);
}

std::error_code openExistingForWriting(const std::string& path, File& file) {
  return openWith(path, GENERIC_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, file);
}

// The system's "file exists" compares equal to std::errc::file_exists.
std::error_code createForWriting(const std::string& path, File& file) {
  return openWith(path, GENERIC_WRITE, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, file);
}

std::error_code checkCreatable(const std::string& path) {
  if (path.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
  std::wstring wide;
  if (const std::error_code error = windows::toWide(path, wide)) return error;
  if (isSeparator(wide.back())) return std::make_error_code(std::errc::is_a_directory);
  const Split split = splitFolder(wide);
  // Opening the folder for adding a file checks the folder's access control list for that
  // right, the one creating a file in it needs, without creating anything.
  const HANDLE handle = ::CreateFileW(split.folder.c_str(), FILE_ADD_FILE, kShareAll, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return folderError(::GetLastError());
  BY_HANDLE_FILE_INFORMATION status{};
  const std::error_code error =
      ::GetFileInformationByHandle(handle, &status) ? std::error_code{} : lastError();
  // The longest name the folder's volume takes; a volume that does not say is not judged.
  DWORD longestName = 0;
  if (!::GetVolumeInformationByHandleW(handle, nullptr, 0, nullptr, &longestName, nullptr, nullptr,
                                       0))
    longestName = 0;
  ::CloseHandle(handle);
  if (error) return error;
  if ((status.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    return std::make_error_code(std::errc::not_a_directory);
  if (longestName > 0 && split.name.size() > longestName)
    return std::make_error_code(std::errc::filename_too_long);
  return {};
}

// Opening a file has no effect on anyone else here, as a FIFO's does elsewhere.
std::error_code checkReadable(const std::string& path) {
  File file;
  return openWith(path, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, file);
}

std::error_code checkWritable(const std::string& path) {
  File file;
  return openWith(path, GENERIC_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, file);
}

bool isDanglingLink(const std::string& path) {
  std::wstring wide;
  if (windows::toWide(path, wide)) return false;
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
    return false;
  FileInfo info;
  const std::error_code error = inspectPath(path, info);  // through the link
  return error == std::errc::no_such_file_or_directory;
}

// Win32 names fold case, whatever the volume could do.
bool foldsCase(const std::string& /*folder*/) {
  return true;
}

std::error_code checkFolder(const std::string& path) {
  std::wstring wide;
  if (const std::error_code error = windows::toWide(path, wide)) return error;
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return folderError(::GetLastError());
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    return std::make_error_code(std::errc::not_a_directory);
  return {};
}

std::error_code listFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  std::wstring pattern;
  if (const std::error_code error = windows::toWide(pathIn(folder, "*"), pattern)) return error;
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) {
    // A drive's root has no "." or "..": empty, it has nothing that matches.
    const DWORD code = ::GetLastError();
    return code == ERROR_FILE_NOT_FOUND ? std::error_code{} : windows::errorFrom(code);
  }
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const DWORD attributes = found.dwFileAttributes;
    const EntryKind kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? EntryKind::kLink
                           : (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0   ? EntryKind::kFolder
                           : (attributes & FILE_ATTRIBUTE_DEVICE) != 0      ? EntryKind::kOther
                                                                       : EntryKind::kRegularFile;
    entries.push_back({windows::toUtf8(name), kind});
  } while (::FindNextFileW(search, &found));
  const DWORD code = ::GetLastError();
  ::FindClose(search);
  return code == ERROR_NO_MORE_FILES ? std::error_code{} : windows::errorFrom(code);
}

std::error_code createFolder(const std::string& path) {
  std::wstring wide;
  if (const std::error_code error = windows::toWide(path, wide)) return error;
  if (!::CreateDirectoryW(wide.c_str(), nullptr)) return lastError();
  return {};
}

// Both separators count, and a drive ("C:name") ends a folder too.
std::string fileNameOf(const std::string& path) {
  const std::string trimmed = path.substr(0, path.find_last_not_of("\\/") + 1);
  std::string::size_type start = trimmed.find_last_of("\\/");
  start = start == std::string::npos ? 0 : start + 1;
  if (start == 0 && trimmed.size() >= 2 && trimmed[1] == ':') start = 2;
  const std::string name = trimmed.substr(start);
  return name == "." || name == ".." ? std::string() : name;
}

std::string pathIn(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '\\' || folder.back() == '/' ||
      (folder.size() == 2 && folder[1] == ':'))
    return folder + name;
  return folder + '\\' + name;
}

std::string uriPathOf(const std::string& path) {
  std::string slashed = path;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  const bool drive =
      slashed.size() >= 3 && slashed[1] == ':' && slashed[2] == '/' &&
      ((slashed[0] >= 'A' && slashed[0] <= 'Z') || (slashed[0] >= 'a' && slashed[0] <= 'z'));
  return drive ? "/" + slashed : slashed;
}

// A console takes characters: bytes written to it are decoded one write at a time, so a
// character whose bytes arrive in two writes would show as two replacement characters.
std::error_code writeText(StandardStream stream, std::string_view text) noexcept {
  const HANDLE handle =
      ::GetStdHandle(stream == StandardStream::output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (!::GetConsoleMode(handle, &mode)) {
    File borrowed(toHandle(handle), false);
    return borrowed.write(text.data(), text.size());
  }
  std::array<wchar_t, 4096> wide{};  // a UTF-8 byte is at most one UTF-16 unit
  while (!text.empty()) {
    std::size_t piece = std::min(text.size(), wide.size());
    // A piece ends where a character does: back over up to three continuation bytes.
    for (int back = 0; back < 3 && piece < text.size() && piece > 1 &&
                       (static_cast<unsigned char>(text[piece]) & 0xC0) == 0x80;
         ++back) {
      --piece;
    }
    const int count = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(piece),
                                            wide.data(), static_cast<int>(wide.size()));
    if (count == 0) return lastError();
    for (DWORD done = 0; done < static_cast<DWORD>(count);) {
      DWORD put = 0;
      if (!::WriteConsoleW(handle, wide.data() + done, static_cast<DWORD>(count) - done, &put,
                           nullptr))
        return lastError();
      done += put;
    }
    text.remove_prefix(piece);
  }
  return {};
}

}  // namespace wqnprep::os
