// What the contract tests of os/file.h need from the system beyond the interface itself: a
// temporary folder to point the system at, a pipe, a file that only appends.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <system_error>

#include "os/file.h"

namespace wqnprep::testing {

// The system's temporary folder is `folder` while this object lives: $TMPDIR on POSIX systems,
// %TMP% on Windows.
class TemporaryFolderSetTo {
 public:
  explicit TemporaryFolderSetTo(const std::string& folder);
  ~TemporaryFolderSetTo();
  TemporaryFolderSetTo(const TemporaryFolderSetTo&) = delete;
  TemporaryFolderSetTo& operator=(const TemporaryFolderSetTo&) = delete;

 private:
  std::string previous_;
  bool had_ = false;
};

void makePipe(os::File& readEnd, os::File& writeEnd);
// Opens `path`, creating it, for writes that each go to its end whatever the position.
os::File openForAppending(const std::string& path);

// A new spool file holding `text`, read from its start.
inline os::File spoolHolding(const std::string& text) {
  os::File spool;
  EXPECT_FALSE(os::openSpool(spool));
  EXPECT_FALSE(spool.write(text.data(), text.size()));
  EXPECT_FALSE(spool.rewind());
  return spool;
}

}  // namespace wqnprep::testing
