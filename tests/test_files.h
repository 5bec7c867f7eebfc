// Files for tests, named by UTF-8 text on every system, as the program's paths are.
#pragma once

#include <filesystem>
#include <string>

namespace wqnprep::testing {

// A fresh folder, removed with everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The system's path for UTF-8 text, and back.
std::filesystem::path nativePath(const std::string& path);
std::string utf8Path(const std::filesystem::path& path);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);
// Whether `path` names anything, a dangling symbolic link included.
bool fileExists(const std::string& path);
void makeFolder(const std::string& path);
void makeHardLink(const std::string& target, const std::string& path);

}  // namespace wqnprep::testing
