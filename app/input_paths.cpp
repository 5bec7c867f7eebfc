#include "app/input_paths.h"

#include <algorithm>
#include <utility>

#include "os/file.h"
#include "text/quoted_name.h"

namespace wqnprep {
namespace {

bool hasExtension(const std::string& name, const std::vector<std::string>& extensions) {
  return std::any_of(extensions.begin(), extensions.end(), [&name](const std::string& extension) {
    return name.size() >= extension.size() &&
           name.compare(name.size() - extension.size(), extension.size(), extension) == 0;
  });
}

std::string joined(const std::string& relative, const std::string& name) {
  return relative.empty() ? name : relative + '/' + name;
}

}  // namespace

std::vector<InputPath> inputPathsOf(const std::string& path,
                                    const std::vector<std::string>& extensions) {
  const std::string name = os::fileNameOf(path);
  os::FileInfo info;
  if (path == "-" || os::inspectPath(path, info)) return {InputPath{path, name, {}, {}}};
  if (!info.directory) return {InputPath{path, name, {}, info}};
  std::vector<InputPath> found;
  std::vector<InputPath> folders{{path, name, {}, {}}};  // still to be listed
  std::vector<os::FolderEntry> entries;
  while (!folders.empty()) {
    InputPath folder = std::move(folders.back());
    folders.pop_back();
    if (const std::error_code error = os::listFolder(folder.path, entries)) {
      folder.unlisted = error;
      found.push_back(std::move(folder));
      continue;
    }
    for (const os::FolderEntry& entry : entries) {
      InputPath item{
          os::pathIn(folder.path, entry.name), joined(folder.relative, entry.name), {}, {}};
      if (entry.kind == os::EntryKind::kFolder) {
        folders.push_back(std::move(item));
      } else if (entry.kind == os::EntryKind::kRegularFile &&
                 hasExtension(entry.name, extensions)) {
        found.push_back(std::move(item));
      }
    }
  }
  std::sort(found.begin(), found.end(),
            [](const InputPath& a, const InputPath& b) { return a.relative < b.relative; });
  return found;
}

std::system_error unlistedFolder(const std::string& path, std::error_code error) {
  return {error, "cannot read input folder " + quotedName(path)};
}

}  // namespace wqnprep
