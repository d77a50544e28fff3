#include "support/temp_tree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace vrx::test {
namespace fs = std::filesystem;

TempTree::TempTree() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/parlind-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  root_ = pattern;
}

TempTree::~TempTree() {
  std::error_code ec;
  // Make everything writable and listable again so that removal cannot fail.
  for (auto it = fs::recursive_directory_iterator(
           root_, fs::directory_options::skip_permission_denied, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_symlink(ec)) {
      ::chmod(it->path().c_str(), 0755);
    }
  }
  ::chmod(root_.c_str(), 0755);
  fs::remove_all(root_, ec);
}

std::string TempTree::Path(const std::string& relative) const {
  return root_ + "/" + relative;
}

std::string TempTree::Relative(const std::string& path) const {
  return path.size() > root_.size() ? path.substr(root_.size() + 1) : path;
}

std::string TempTree::MakeDir(const std::string& relative) {
  const std::string path = Path(relative);
  fs::create_directories(path);
  return path;
}

std::string TempTree::MakeFile(const std::string& relative, const std::string& content) {
  const std::string path = Path(relative);
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) {
    throw std::runtime_error("cannot write " + path);
  }
  return path;
}

std::string TempTree::MakeSparseFile(const std::string& relative, uint64_t size) {
  const std::string path = Path(relative);
  fs::create_directories(fs::path(path).parent_path());
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
    if (fd >= 0) {
      ::close(fd);
    }
    throw std::runtime_error("cannot make sparse file " + path);
  }
  ::close(fd);
  return path;
}

std::string TempTree::MakeFileWithHoles(const std::string& relative, const std::string& content) {
  constexpr size_t kBlock = 4096;
  const std::string path = MakeSparseFile(relative, content.size());
  const int fd = ::open(path.c_str(), O_WRONLY);
  bool written = fd >= 0;
  for (size_t at = 0; written && at < content.size(); at += kBlock) {
    const size_t length = std::min(kBlock, content.size() - at);
    const char* block = content.data() + at;
    if (std::any_of(block, block + length, [](char c) { return c != 0; })) {
      written = ::pwrite(fd, block, length, static_cast<off_t>(at)) == static_cast<ssize_t>(length);
    }
  }
  if (fd >= 0) {
    ::close(fd);
  }
  if (!written) {
    throw std::runtime_error("cannot write " + path);
  }
  return path;
}

std::string TempTree::MakeSymlink(const std::string& relative, const std::string& target) {
  const std::string path = Path(relative);
  fs::create_directories(fs::path(path).parent_path());
  if (::symlink(target.c_str(), path.c_str()) != 0) {
    throw std::runtime_error("cannot make link " + path);
  }
  return path;
}

std::string TempTree::MakeFifo(const std::string& relative) {
  const std::string path = Path(relative);
  fs::create_directories(fs::path(path).parent_path());
  if (::mkfifo(path.c_str(), 0644) != 0) {
    throw std::runtime_error("cannot make fifo " + path);
  }
  return path;
}

void TempTree::SetTimes(const std::string& relative, int64_t seconds, int64_t nanoseconds) {
  const std::string path = Path(relative);
  timespec times[2];
  times[0].tv_sec = static_cast<time_t>(seconds);
  times[0].tv_nsec = static_cast<long>(nanoseconds);
  times[1] = times[0];
  if (::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
    throw std::runtime_error("cannot set times of " + path);
  }
}

void TempTree::SetMode(const std::string& relative, unsigned mode) {
  const std::string path = Path(relative);
  if (::chmod(path.c_str(), static_cast<mode_t>(mode)) != 0) {
    throw std::runtime_error("cannot chmod " + path);
  }
}

void TempTree::Remove(const std::string& relative) {
  fs::remove_all(Path(relative));
}

DeviceInode TempTree::Identity(const std::string& relative) const {
  struct stat st {};
  if (::lstat(Path(relative).c_str(), &st) != 0) {
    return {};
  }
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

size_t EntriesIn(const std::string& dir) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) {
    ++n;
  }
  return n;
}

bool PermissionsAreEnforced() {
  TempTree tree;
  const std::string path = tree.MakeFile("probe", "x");
  ::chmod(path.c_str(), 0);
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd >= 0) {
    ::close(fd);
    return false;
  }
  return true;
}

ScopedTimeZone::ScopedTimeZone(const char* tz) {
  const char* old = std::getenv("TZ");
  if (old != nullptr) {
    hadOld_ = true;
    old_ = old;
  }
  ::setenv("TZ", tz, 1);
  ::tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
  if (hadOld_) {
    ::setenv("TZ", old_.c_str(), 1);
  } else {
    ::unsetenv("TZ");
  }
  ::tzset();
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::string& path)
    : old_(std::filesystem::current_path().string()) {
  std::filesystem::current_path(path);
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
  std::error_code ignored;
  std::filesystem::current_path(old_, ignored);
}

}  // namespace vrx::test
