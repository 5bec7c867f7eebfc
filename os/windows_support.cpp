// Error texts, text conversion and file information for the Windows implementation.
#include "os/windows_support.h"

#include <climits>
#include <cstring>
#include <random>

namespace wqnprep::os::windows {
namespace {

class Win32Category : public std::error_category {
 public:
  const char* name() const noexcept override { return "win32"; }

  std::string message(int code) const override {
    wchar_t* text = nullptr;
    const DWORD size = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (size == 0 || text == nullptr) return "system error " + std::to_string(code);
    std::wstring message(text, size);
    ::LocalFree(text);
    // The system's texts end with a line break, which would split our one-line reports.
    while (!message.empty() &&
           (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ')) {
      message.pop_back();
    }
    return toUtf8(message);
  }

  std::error_condition default_error_condition(int code) const noexcept override {
    switch (static_cast<DWORD>(code)) {
      case ERROR_FILE_NOT_FOUND:
      case ERROR_PATH_NOT_FOUND:
      case ERROR_INVALID_DRIVE:
      case ERROR_BAD_NETPATH:
        return std::errc::no_such_file_or_directory;
      case ERROR_ACCESS_DENIED:
      case ERROR_WRITE_PROTECT:
        return std::errc::permission_denied;
      case ERROR_DISK_FULL:
      case ERROR_HANDLE_DISK_FULL:
        return std::errc::no_space_on_device;
      case ERROR_FILE_EXISTS:
      case ERROR_ALREADY_EXISTS:
        return std::errc::file_exists;
      case ERROR_BROKEN_PIPE:
      case ERROR_NO_DATA:
        return std::errc::broken_pipe;
      case ERROR_SHARING_VIOLATION:
      case ERROR_LOCK_VIOLATION:
        return std::errc::device_or_resource_busy;
      case ERROR_INVALID_HANDLE:
        return std::errc::bad_file_descriptor;
      case ERROR_NOT_ENOUGH_MEMORY:
      case ERROR_OUTOFMEMORY:
        return std::errc::not_enough_memory;
      case ERROR_INVALID_NAME:
      case ERROR_BAD_PATHNAME:
      case ERROR_NO_UNICODE_TRANSLATION:
        return std::errc::invalid_argument;
      case ERROR_DIRECTORY:
        return std::errc::not_a_directory;
      case ERROR_NOT_SAME_DEVICE:
        return std::errc::cross_device_link;
      default:
        return {code, *this};
    }
  }
};

}  // namespace

const std::error_category& errorCategory() noexcept {
  static const Win32Category category;
  return category;
}

std::error_code toWide(const std::string& text, std::wstring& wide) {
  wide.clear();
  if (text.empty()) return {};
  if (text.size() > static_cast<std::size_t>(INT_MAX)) return errorFrom(ERROR_FILENAME_EXCED_RANGE);
  const int size = static_cast<int>(text.size());
  // Bytes that are not UTF-8 are refused rather than replaced: they would name another file.
  const int length =
      ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (length == 0) return lastError();
  wide.resize(static_cast<std::size_t>(length));
  if (::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(),
                            length) == 0) {
    return lastError();
  }
  return {};
}

namespace {

std::error_code convertToUtf8(const wchar_t* text, std::size_t size, DWORD flags,
                              std::string& utf8) {
  utf8.clear();
  if (size == 0) return {};
  if (size > static_cast<std::size_t>(INT_MAX)) return errorFrom(ERROR_FILENAME_EXCED_RANGE);
  const int count = static_cast<int>(size);
  const int length =
      ::WideCharToMultiByte(CP_UTF8, flags, text, count, nullptr, 0, nullptr, nullptr);
  if (length == 0) return lastError();
  utf8.resize(static_cast<std::size_t>(length));
  if (::WideCharToMultiByte(CP_UTF8, flags, text, count, utf8.data(), length, nullptr, nullptr) ==
      0) {
    return lastError();
  }
  return {};
}

}  // namespace

std::error_code toUtf8(const wchar_t* text, std::size_t size, std::string& utf8) {
  return convertToUtf8(text, size, WC_ERR_INVALID_CHARS, utf8);
}

std::string toUtf8(const wchar_t* text, std::size_t size) {
  std::string result;
  (void)convertToUtf8(text, size, 0, result);  // flags 0 replace rather than fail
  return result;
}

namespace {

// For a handle that may not read attributes (a standard stream a parent opened for writing
// only): these information classes ask for no access. The 32 bits that GetFileInformationByHandle
// gives of the volume's serial number are its low ones; a 128-bit file identifier is folded,
// with the 64-bit identifiers of NTFS unchanged.
std::error_code describeWithLessAccess(HANDLE handle, FileInfo& info) {
  FILE_STANDARD_INFO standard{};
  FILE_ID_INFO id{};
  if (!::GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard) ||
      !::GetFileInformationByHandleEx(handle, FileIdInfo, &id, sizeof id)) {
    return lastError();
  }
  std::uint64_t low = 0;
  std::uint64_t high = 0;
  static_assert(sizeof id.FileId.Identifier == sizeof low + sizeof high);
  std::memcpy(&low, id.FileId.Identifier, sizeof low);
  std::memcpy(&high, id.FileId.Identifier + sizeof low, sizeof high);
  info.directory = standard.Directory != FALSE;
  info.regular = !info.directory;
  if (info.regular) info.size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
  info.volume = id.VolumeSerialNumber & 0xffffffffu;
  info.index = low ^ high;
  return {};
}

}  // namespace

std::error_code describe(HANDLE handle, FileInfo& info) {
  info = FileInfo{};
  ::SetLastError(NO_ERROR);
  const DWORD type = ::GetFileType(handle);
  if (type == FILE_TYPE_UNKNOWN && ::GetLastError() != NO_ERROR) return lastError();
  if (type != FILE_TYPE_DISK) return {};  // a pipe, a console or another device
  BY_HANDLE_FILE_INFORMATION status{};
  if (!::GetFileInformationByHandle(handle, &status)) {
    const std::error_code error = lastError();
    return describeWithLessAccess(handle, info) ? error : std::error_code{};
  }
  info.directory = (status.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  info.regular = !info.directory;
  if (info.regular) info.size = (std::uint64_t{status.nFileSizeHigh} << 32) | status.nFileSizeLow;
  // The volume's serial number and the file's index name the file, whatever path opened it.
  info.volume = status.dwVolumeSerialNumber;
  info.index = (std::uint64_t{status.nFileIndexHigh} << 32) | status.nFileIndexLow;
  return {};
}

std::wstring randomName(std::wstring pattern) {
  static constexpr wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 generator{std::random_device{}() ^ ::GetCurrentProcessId() ^
                                      static_cast<unsigned>(::GetTickCount64())};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters / sizeof kLetters[0] - 2);
  const std::wstring::size_type at = pattern.rfind(L"XXXXXX");
  if (at != std::wstring::npos) {
    for (std::size_t i = 0; i < 6; ++i) pattern[at + i] = kLetters[pick(generator)];
  }
  return pattern;
}

}  // namespace wqnprep::os::windows
