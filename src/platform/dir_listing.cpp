#include "platform/dir_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/attributes.h"

namespace vrx {
namespace {

// Name of the last component of a path; "." for the root.
std::string LastComponent(const std::string& path) {
  if (path.empty() || path == "/") {
    return ".";
  }
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

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

bool ListDirectory(const std::string& dirPath, std::vector<DirEntryInfo>* out) {
  out->clear();
  const int fd = ::open(SystemPath(dirPath), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return false;
  }
  bool ok = true;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (entry == nullptr) {
      ok = errno == 0;
      break;
    }
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0 || entry->d_type == DT_LNK) {
      continue;
    }
    struct statx st {};
    if (!StatxAt(fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, &st) || S_ISLNK(st.stx_mode)) {
      continue;  // vanished meanwhile, or a link: neither recorded nor followed
    }
    DirEntryInfo info;
    info.name = name;
    FillFromStatx(st, &info);
    out->push_back(std::move(info));
  }
  ::closedir(dir);
  if (!ok) {
    out->clear();
    return false;
  }
  std::sort(out->begin(), out->end(),
            [](const DirEntryInfo& a, const DirEntryInfo& b) { return a.name < b.name; });
  return true;
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
  out->name = LastComponent(path);
  FillFromStatx(st, out);
  return true;
}

}  // namespace vrx
