#include "app/output_refusals.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <system_error>
#include <utility>

#include "text/quoted_name.h"

namespace wqnprep {
namespace {

void check(std::error_code error, const std::string& what, const std::string& name) {
  if (error) throw std::system_error(error, what + " " + quotedName(name));
}

using Identity = std::pair<std::uint64_t, std::uint64_t>;

Identity identityOf(const os::FileInfo& info) {
  return {info.volume, info.index};
}

}  // namespace

std::runtime_error outputIsInput(const std::string& output, const std::string& input) {
  return std::runtime_error("output " + quotedName(output) + " is the input file " +
                            quotedName(input) + "; refusing to overwrite it");
}

os::FileInfo checkInput(const std::string& path) {
  os::FileInfo info;
  check(os::inspectPath(path, info), "cannot open input", path);
  if (info.directory) check(make_error_code(std::errc::is_a_directory), "cannot read input", path);
  check(os::checkReadable(path), "cannot open input", path);
  return info;
}

void refuseDanglingLink(const std::string& output) {
  if (os::isDanglingLink(output)) {
    throw std::runtime_error("not writing through dangling symbolic link " + quotedName(output));
  }
}

std::optional<os::FileInfo> checkOutput(const std::string& path,
                                        const std::vector<std::string>& folders) {
  refuseDanglingLink(path);
  // In a folder yet to be made, the output will be a new file.
  if (firstMissingFolder(folders) < folders.size()) return std::nullopt;
  os::FileInfo info;
  const std::error_code missing = os::inspectPath(path, info);
  if (missing == std::errc::no_such_file_or_directory) {
    check(os::checkCreatable(path), "cannot open output", path);
    return std::nullopt;
  }
  check(missing, "cannot open output", path);
  if (info.directory) check(make_error_code(std::errc::is_a_directory), "cannot open output", path);
  check(os::checkWritable(path), "cannot open output", path);
  if (!info.regular) return std::nullopt;
  return info;
}

std::size_t firstMissingFolder(const std::vector<std::string>& folders) {
  for (std::size_t i = 0; i < folders.size(); ++i) {
    os::FileInfo info;
    const std::error_code error = os::inspectPath(folders[i], info);
    if (error == std::errc::no_such_file_or_directory) {
      refuseDanglingLink(folders[i]);
      check(os::checkCreatable(folders[i]), "cannot create folder", folders[i]);
      return i;
    }
    check(error, "cannot create folder", folders[i]);
    if (!info.directory)
      check(make_error_code(std::errc::file_exists), "cannot create folder", folders[i]);
  }
  return folders.size();
}

void refuseFolderInsideInput(const std::string& folder, const std::vector<std::string>& inputs) {
  std::map<Identity, const std::string*> inputFolders;
  for (const std::string& input : inputs) {
    os::FileInfo info;
    if (!os::inspectPath(input, info) && info.directory)
      inputFolders.emplace(identityOf(info), &input);
  }
  if (inputFolders.empty()) return;
  // Up from the output folder to the root, whose parent is itself.
  std::string at = folder;
  os::FileInfo info;
  if (os::inspectPath(at, info)) return;
  for (;;) {
    if (const auto input = inputFolders.find(identityOf(info)); input != inputFolders.end()) {
      throw std::runtime_error("output folder " + quotedName(folder) + " is inside input folder " +
                               quotedName(*input->second) +
                               "; refusing to write a folder into itself");
    }
    at = os::pathIn(at, "..");
    os::FileInfo parent;
    if (os::inspectPath(at, parent) || os::sameFile(parent, info)) return;
    info = parent;
  }
}

void refuseClashes(const std::vector<PlannedOutput>& planned) {
  std::map<Identity, std::size_t> inputs;
  for (std::size_t i = 0; i < planned.size(); ++i) {
    const std::optional<os::FileInfo>& info = planned[i].inputInfo;
    if (info && info->regular) inputs.emplace(identityOf(*info), i);
  }
  std::map<Identity, std::size_t> outputs;
  for (std::size_t i = 0; i < planned.size(); ++i) {
    if (!planned[i].outputInfo) continue;
    const Identity identity = identityOf(*planned[i].outputInfo);
    if (const auto input = inputs.find(identity); input != inputs.end()) {
      throw outputIsInput(planned[i].output, planned[input->second].input);
    }
    const auto [other, fresh] = outputs.emplace(identity, i);
    if (!fresh) {
      throw std::runtime_error("outputs " + quotedName(planned[other->second].output) + " and " +
                               quotedName(planned[i].output) +
                               " are the same file; refusing to write it twice");
    }
  }
}

}  // namespace wqnprep
