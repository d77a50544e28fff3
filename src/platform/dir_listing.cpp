#include "platform/dir_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

#include "platform/attributes.h"

namespace vrx {
namespace {

const char* SystemPath(const std::string& path) {
  return path.empty() ? "/" : path.c_str();
}

bool IsHiddenName(const std::string& name) {
  return !name.empty() && name[0] == '.' && name != "." && name != "..";
}

uint32_t AttributesOf(mode_t mode, const std::string& name) {
  uint32_t attributes = 0;
  if ((mode & S_IWUSR) == 0) {
    attributes |= kAttrReadOnly;
  }
  if (IsHiddenName(name)) {
    attributes |= kAttrHidden;
  }
  if (S_ISDIR(mode)) {
    attributes |= kAttrDirectory;
  } else if (!S_ISREG(mode)) {
    attributes |= kAttrSystem;
  }
  return attributes;
}

FileTime FromStatx(const struct statx_timestamp& ts) {
  return FileTimeFromUnix(ts.tv_sec, ts.tv_nsec);
}

void FillFromStatx(const struct statx& st, DirEntryInfo* info) {
  info->attributes = AttributesOf(st.stx_mode, info->name);
  info->modified = FromStatx(st.stx_mtime);
  info->accessed = FromStatx(st.stx_atime);
  info->created = (st.stx_mask & STATX_BTIME) != 0 ? FromStatx(st.stx_btime) : info->modified;
  info->size = S_ISDIR(st.stx_mode) ? 0 : st.stx_size;
  info->device = makedev(st.stx_dev_major, st.stx_dev_minor);
  info->inode = st.stx_ino;
}

bool StatxAt(int dirFd, const char* path, int flags, struct statx* st) {
  const unsigned mask = STATX_BASIC_STATS | STATX_BTIME;
  while (::statx(dirFd, path, flags, mask, st) != 0) {
    if (errno != EINTR) {
      return false;
    }
  }
  return true;
}

}  // namespace

FileTime DirEntryInfo::TimeOfKind(int32_t dateKind) const {
  switch (dateKind) {
    case 1:
      return accessed;
    case 2:
      return created;
    default:
      return modified;
  }
}

std::string JoinPath(const std::string& dirPath, const std::string& name) {
  std::string path;
  path.reserve(dirPath.size() + 1 + name.size());
  path += dirPath;
  path += '/';
  path += name;
  return path;
}

namespace {

// Adds one listed name to `out`, with its values read relative to the open
// directory; "." and "..", links and names that vanished meanwhile are left
// out. False when the entry cannot be queried for another reason: a directory
// that may be read but not searched (no "x" permission) lists its names but
// hides their values, and its files must not go missing without a word.
bool AddListed(int dirFd, const char* name, unsigned char type, std::vector<DirEntryInfo>* out) {
  if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0 || type == DT_LNK) {
    return true;
  }
  struct statx st {};
  if (!StatxAt(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, &st)) {
    return errno == ENOENT;  // vanished meanwhile
  }
  if (S_ISLNK(st.stx_mode)) {
    return true;  // a link: neither recorded nor followed
  }
  DirEntryInfo info;
  info.name = name;
  FillFromStatx(st, &info);
  out->push_back(std::move(info));
  return true;
}

// Reads the names of the open directory with getdents64 straight into a
// buffer; opening a directory stream on the descriptor instead would cost a
// fstat and a fcntl per directory, which add up over a large tree.
bool ReadListing(int dirFd, std::vector<DirEntryInfo>* out) {
  alignas(8) char buffer[32768];
  for (;;) {
    const ssize_t n = ::getdents64(dirFd, buffer, sizeof buffer);
    if (n == 0) {
      return true;
    }
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    for (size_t at = 0; at < static_cast<size_t>(n);) {
      unsigned short length = 0;
      unsigned char type = DT_UNKNOWN;
      std::memcpy(&length, buffer + at + offsetof(struct dirent64, d_reclen), sizeof length);
      std::memcpy(&type, buffer + at + offsetof(struct dirent64, d_type), sizeof type);
      if (length == 0) {
        return false;  // a malformed record would never let the loop end
      }
      if (!AddListed(dirFd, buffer + at + offsetof(struct dirent64, d_name), type, out)) {
        return false;
      }
      at += length;
    }
  }
}

}  // namespace

bool ReadDirectory(const DirHandle& dir, std::vector<DirEntryInfo>* out) {
  out->clear();
  if (!dir.IsOpen() || !ReadListing(dir.fd(), out)) {
    out->clear();
    return false;
  }
  std::sort(out->begin(), out->end(),
            [](const DirEntryInfo& a, const DirEntryInfo& b) { return a.name < b.name; });
  return true;
}

bool ListDirectory(const std::string& dirPath, std::vector<DirEntryInfo>* out) {
  DirHandle dir;
  if (OpenDirectory(dirPath, &dir) != OpenOutcome::kOpened) {
    out->clear();
    return false;
  }
  return ReadDirectory(dir, out);
}

bool QueryAttributes(const std::string& path, uint32_t* attributes) {
  DirEntryInfo info;
  if (!QueryEntry(path, &info)) {
    return false;
  }
  *attributes = info.attributes;
  return true;
}

bool QueryEntry(const std::string& path, DirEntryInfo* out) {
  struct statx st {};
  if (!StatxAt(AT_FDCWD, SystemPath(path), 0, &st)) {
    return false;
  }
  out->name = std::string(LastComponent(path));
  FillFromStatx(st, out);
  return true;
}

}  // namespace vrx
