// A folder's state on Windows: what std::filesystem tells of each entry, which is all a run here
// could change (no owners or modes but the read-only attribute).
#include <algorithm>
#include <filesystem>
#include <vector>

#include "folder_state.h"
#include "test_files.h"

namespace wqnprep::testing {
namespace {

namespace fs = std::filesystem;

std::string folderState(const fs::path& folder, const std::string& prefix, bool withTimes) {
  std::vector<fs::path> entries;
  for (const auto& entry : fs::directory_iterator(folder)) entries.push_back(entry.path());
  std::sort(entries.begin(), entries.end());
  std::string state;
  for (const fs::path& path : entries) {
    const std::string name = utf8Path(path.filename());
    const fs::file_status status = fs::symlink_status(path);
    state += prefix + name + ":";
    if (fs::is_regular_file(status)) {
      state += " file [" + readFile(utf8Path(path)) + "]";
    } else {
      state += fs::is_directory(status) ? " folder" : " other";
    }
    const bool readOnly = (status.permissions() & fs::perms::owner_write) == fs::perms::none;
    state += readOnly ? " read-only" : "";
    if (withTimes) {
      state += " mtime " + std::to_string(fs::last_write_time(path).time_since_epoch().count());
    }
    state += "\n";
    if (fs::is_directory(status)) state += folderState(path, prefix + name + "/", withTimes);
  }
  return state;
}

}  // namespace

std::string folderState(const std::string& folder, bool withTimes) {
  return folderState(nativePath(folder), "", withTimes);
}

}  // namespace wqnprep::testing
