#include "support/scratch_mount.h"

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>

namespace vrx::test {

ScratchMount ScratchMount::Tmpfs(const std::string& folder, const std::string& options) {
  ScratchMount m;
  m.folder_ = folder;
  std::filesystem::create_directories(folder);
  if (::geteuid() != 0) {
    m.why_ = "mounting a tmpfs needs root";
  } else if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
    m.why_ = std::string("mount tmpfs: ") + std::strerror(errno);
  } else {
    m.mounted_ = true;
  }
  return m;
}

ScratchMount ScratchMount::Xfs(const std::string& folder) {
  ScratchMount m;
  m.folder_ = folder;
  m.image_ = folder + ".img";
  std::filesystem::create_directories(folder);
  if (::geteuid() != 0) {
    m.why_ = "mounting an image needs root";
    return m;
  }
  if (std::system("command -v mkfs.xfs >/dev/null 2>&1") != 0) {
    m.why_ = "mkfs.xfs is not installed (Debian package xfsprogs)";
    return m;
  }
  const std::string make = "truncate -s 300M '" + m.image_ + "' && mkfs.xfs -q -m reflink=1 '" +
                           m.image_ + "' >/dev/null 2>&1 && mount -o loop '" + m.image_ + "' '" +
                           folder + "' >/dev/null 2>&1";
  if (std::system(make.c_str()) != 0) {
    m.why_ = "could not make and mount an XFS image through a loop device";
    return m;
  }
  m.mounted_ = true;
  return m;
}

ScratchMount::ScratchMount(ScratchMount&& other) noexcept
    : folder_(std::move(other.folder_)),
      image_(std::move(other.image_)),
      why_(std::move(other.why_)),
      mounted_(std::exchange(other.mounted_, false)) {}

ScratchMount::~ScratchMount() {
  if (mounted_ && ::umount2(folder_.c_str(), 0) != 0) {
    ::umount2(folder_.c_str(), MNT_DETACH);
  }
  if (!image_.empty()) {
    ::unlink(image_.c_str());
  }
}

bool ScratchMount::SetReadOnly(bool readOnly, const std::string& options) {
  const unsigned long flags = static_cast<unsigned long>(MS_REMOUNT) |
                              (readOnly ? static_cast<unsigned long>(MS_RDONLY) : 0UL);
  return mounted_ && ::mount("tmpfs", folder_.c_str(), "tmpfs", flags, options.c_str()) == 0;
}

}  // namespace vrx::test
