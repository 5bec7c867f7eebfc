// The Windows spool file, and copying a file's rest.
#include <string>
#include <vector>

#include "os/file.h"
#include "os/windows_support.h"

namespace wqnprep::os {
namespace {

using windows::lastError;

constexpr int kAttempts = 100;

// GetTempPathW: %TMP%, else %TEMP%, else the user's profile folder, else the Windows folder;
// it ends with a backslash. Whether the folder exists is for creating a file there to tell.
std::error_code temporaryFolderOf(std::wstring& folder) {
  folder.assign(MAX_PATH + 1, L'\0');
  DWORD length = ::GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
  if (length > folder.size()) {
    folder.resize(length);
    length = ::GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
  }
  if (length == 0 || length > folder.size()) {
    folder.clear();
    return lastError();
  }
  folder.resize(length);
  return {};
}

}  // namespace

std::error_code openSpool(File& file) {
  std::wstring folder;
  if (const std::error_code error = temporaryFolderOf(folder)) return error;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::wstring name = windows::randomName(folder + L".wqnprep-XXXXXX");
    // Nobody else may open it (no sharing), and the system deletes it when its last handle
    // closes, which the process's end does however it ends. TEMPORARY keeps it in the cache.
    const HANDLE handle =
        ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      file = File(windows::toHandle(handle), true);
      return {};
    }
    const DWORD code = ::GetLastError();
    if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) return windows::errorFrom(code);
  }
  return windows::errorFrom(ERROR_FILE_EXISTS);
}

std::string temporaryFolder() {
  std::wstring folder;
  if (temporaryFolderOf(folder)) return {};
  // Named without its last backslash, as folders are in messages, unless it is a drive's root.
  if (folder.size() > 1 && folder.back() == L'\\' && folder[folder.size() - 2] != L':')
    folder.pop_back();
  return windows::toUtf8(folder);
}

std::error_code copyRest(File& from, File& to) {
  // Reading moves `from` along, so it ends where a read would have left it.
  std::vector<char> buffer(kBlockSize);
  for (;;) {
    std::size_t got = 0;
    if (const std::error_code error = from.read(buffer.data(), buffer.size(), got)) return error;
    if (got == 0) return {};
    if (const std::error_code error = to.write(buffer.data(), got)) return error;
  }
}

}  // namespace wqnprep::os
