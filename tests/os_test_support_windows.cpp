#include <stdexcept>
#include <vector>

#include "os/windows_support.h"
#include "os_test_support.h"

namespace wqnprep::testing {
namespace {

std::wstring wide(const std::string& text) {
  std::wstring result;
  if (os::windows::toWide(text, result)) throw std::runtime_error("not UTF-8: " + text);
  return result;
}

}  // namespace

// GetTempPathW looks at %TMP% first.
TemporaryFolderSetTo::TemporaryFolderSetTo(const std::string& folder) {
  std::vector<wchar_t> previous(32767);
  const DWORD length =
      ::GetEnvironmentVariableW(L"TMP", previous.data(), static_cast<DWORD>(previous.size()));
  had_ = length > 0 && length < previous.size();
  if (had_) previous_ = os::windows::toUtf8(previous.data(), length);
  ::SetEnvironmentVariableW(L"TMP", wide(folder).c_str());
}

TemporaryFolderSetTo::~TemporaryFolderSetTo() {
  ::SetEnvironmentVariableW(L"TMP", had_ ? wide(previous_).c_str() : nullptr);
}

void makePipe(os::File& readEnd, os::File& writeEnd) {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  if (!::CreatePipe(&read, &write, nullptr, 0)) throw std::runtime_error("cannot make a pipe");
  readEnd = os::File(os::windows::toHandle(read), true);
  writeEnd = os::File(os::windows::toHandle(write), true);
}

os::File openForAppending(const std::string& path) {
  const HANDLE handle = ::CreateFileW(wide(path).c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
  return {os::windows::toHandle(handle), true};
}

}  // namespace wqnprep::testing
