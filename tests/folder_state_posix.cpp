// A folder's state on POSIX systems: lstat and the extended attributes of each entry.
#include "folder_state.h"

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "run_program.h"

namespace wqnprep::testing {
namespace {

std::string attributes(const std::string& path) {
  std::string names(::llistxattr(path.c_str(), nullptr, 0) + 1, '\0');
  const ssize_t size = ::llistxattr(path.c_str(), names.data(), names.size());
  std::string text;
  for (std::size_t at = 0; size > 0 && at < static_cast<std::size_t>(size);) {
    const std::string name = names.c_str() + at;
    at += name.size() + 1;
    std::string value(256, '\0');
    const ssize_t length = ::lgetxattr(path.c_str(), name.c_str(), value.data(), value.size());
    value.resize(length < 0 ? 0 : static_cast<std::size_t>(length));
    text += " " + name + "=" + value;
  }
  return text;
}

std::string octal(unsigned value) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + value % 8));
    value /= 8;
  } while (value != 0);
  return "0" + digits;
}

}  // namespace

std::string folderState(const std::string& folder, const std::string& prefix, bool withTimes);

std::string folderState(const std::string& folder, bool withTimes) {
  return folderState(folder, "", withTimes);
}

std::string folderState(const std::string& folder, const std::string& prefix, bool withTimes) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  std::string state;
  for (const std::string& name : names) {
    const std::string path = folder + "/" + name;
    struct stat info {};
    ::lstat(path.c_str(), &info);
    state += prefix + name + ":";
    if (S_ISLNK(info.st_mode)) {
      state += " link to " + std::filesystem::read_symlink(path).string();
    } else if (S_ISREG(info.st_mode)) {
      state += " file [" + readFile(path) + "]";
    } else {
      state += S_ISDIR(info.st_mode) ? " folder" : " other";
    }
    state += " owner " + std::to_string(info.st_uid) + ":" + std::to_string(info.st_gid) +
             " mode " + octal(info.st_mode & 07777) + " links " + std::to_string(info.st_nlink) +
             attributes(path);
    if (withTimes) {
      state += " mtime " + std::to_string(info.st_mtim.tv_sec) + "." +
               std::to_string(info.st_mtim.tv_nsec);
    }
    state += "\n";
    if (S_ISDIR(info.st_mode)) state += folderState(path, prefix + name + "/", withTimes);
  }
  return state;
}

}  // namespace wqnprep::testing
