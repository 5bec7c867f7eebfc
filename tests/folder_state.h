// Everything a run could change about the files of a folder, as text to compare.
#pragma once

#include <string>

namespace wqnprep::testing {

// One line per entry of `folder`, in name order: its type, bytes or link target, owner, group,
// mode, link count and extended attributes, and with `withTimes` its modification time.
std::string folderState(const std::string& folder, bool withTimes);

}  // namespace wqnprep::testing
