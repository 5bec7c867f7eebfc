// The inputs of --check and -d: each path given, and in place of a folder, the files in its tree.
#pragma once

#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "os/file.h"

namespace wqnprep {

struct InputPath {
  std::string path;  // as given, or a file found in a folder given, from the folder's path
  // Where -d writes it, under its folder: the file name of a path given; for a file found in a
  // folder, the folder's own name and the file's path in it, joined by '/' ("sql/2024/a.sql").
  std::string relative;
  std::error_code unlisted;  // why the folder at `path` could not be listed; empty for a file
  // What the system told about a path given that is no folder, when it was looked at; nothing
  // for a file found in a folder, which was not.
  std::optional<os::FileInfo> info;
};

// The inputs that `path` stands for: itself ("-", a file, or what cannot be looked at, left to
// be reported when it is opened) unless it names a folder, through a symbolic link or not. A
// folder stands for every regular file in its tree whose name ends in one of `extensions`, and
// every folder there that could not be listed, sorted by the bytes of `relative`: the order is
// the same on every system. Symbolic links in the tree are passed over, neither files nor
// folders followed, so a walk never leaves the tree nor goes round in a loop.
std::vector<InputPath> inputPathsOf(const std::string& path,
                                    const std::vector<std::string>& extensions);

// The error to report for an input folder that could not be listed.
std::system_error unlistedFolder(const std::string& path, std::error_code error);

}  // namespace wqnprep
