#include "test_files.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace wqnprep::testing {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  static std::mt19937_64 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate =
        fs::temp_directory_path() / ("wqnprep-test-" + std::to_string(random() % 1000000000));
    // False when it exists: another test's, or another run's.
    if (fs::create_directory(candidate)) {
      path_ = utf8Path(candidate);
      return;
    }
  }
  throw std::runtime_error("cannot create a scratch folder");
}

namespace {

// Undoes the permission changes that tests make (a locked folder, a read-only file), so that
// everything can be removed.
void unlock(const fs::path& path) {
  std::error_code ignored;
  const fs::file_status status = fs::symlink_status(path, ignored);
  if (fs::is_symlink(status)) return;
  fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ignored);
  if (!fs::is_directory(status)) return;
  for (fs::directory_iterator entry(path, ignored), end; entry != end; entry.increment(ignored))
    unlock(entry->path());
}

}  // namespace

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  unlock(nativePath(path_));
  fs::remove_all(nativePath(path_), ignored);
}

// POSIX paths are bytes, whatever their encoding; Windows paths are UTF-16.
fs::path nativePath(const std::string& path) {
#ifdef _WIN32
  return fs::path(std::u8string(path.begin(), path.end()));
#else
  return fs::path(path);
#endif
}

std::string utf8Path(const fs::path& path) {
#ifdef _WIN32
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
#else
  return path.string();
#endif
}

std::string readFile(const std::string& path) {
  std::ifstream in(nativePath(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(nativePath(path), std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

bool fileExists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(fs::symlink_status(nativePath(path), ignored));
}

void makeFolder(const std::string& path) {
  if (!fs::create_directory(nativePath(path))) throw std::runtime_error(path + " exists");
}

void makeHardLink(const std::string& target, const std::string& path) {
  fs::create_hard_link(nativePath(target), nativePath(path));
}

}  // namespace wqnprep::testing
