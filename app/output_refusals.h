// Outputs that must not be written, found before anything is: an output that is its own input
// under another name, two outputs that are one file, and what an output could not be opened for.
// Nothing here opens a file, since opening a FIFO or a device has effects on its other end.
//
// Errors are std::system_error naming the file and the system's reason, or std::runtime_error.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "os/file.h"

namespace wqnprep {

// The error for an output that is the input file it is made from.
std::runtime_error outputIsInput(const std::string& output, const std::string& input);

// What InputFile(path) would raise, found without opening the file. What the system tells
// about it.
os::FileInfo checkInput(const std::string& path);
// The same for an output that OutputFile(path, ..., folders) would open, a symbolic link to
// nothing refused too; the output that is its own input is left to refuseClashes. What the
// system tells about an existing regular file.
std::optional<os::FileInfo> checkOutput(const std::string& path,
                                        const std::vector<std::string>& folders = {});
// The refusal of checkOutput for a symbolic link to nothing, through which a write would create
// a file that another output may also become.
void refuseDanglingLink(const std::string& output);

// `folders`, each inside the one before, as an output in the last of them needs them: the index
// of the first one missing, which writing the output will create, or folders.size() when all
// exist. Raises when that one cannot be created (a symbolic link to nothing, a folder without
// write permission) or one of them is something else than a folder.
std::size_t firstMissingFolder(const std::vector<std::string>& folders);

// Refuses an output folder that is one of the folders among `inputs`, or inside one: its tree
// would be written into itself, and read back as input by the next run.
void refuseFolderInsideInput(const std::string& folder, const std::vector<std::string>& inputs);

// One input and the output made from it, with what the system tells about each: nothing where
// a file is missing or cannot be looked at, or is no regular file.
struct PlannedOutput {
  const std::string& input;
  const std::string& output;
  std::optional<os::FileInfo> inputInfo;
  std::optional<os::FileInfo> outputInfo;
};

// Refuses an output that is any of the inputs, which writing it would destroy before it is
// read, or another output, whose result it would replace.
void refuseClashes(const std::vector<PlannedOutput>& planned);

}  // namespace wqnprep
