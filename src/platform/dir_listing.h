// Directory listings and single-entry queries.
//
// A listing holds the entries of one directory sorted ascending by name,
// byte-wise. "." and ".." are never taken; symbolic links are left out (neither
// recorded nor followed), which also ends every directory cycle. Special files
// carry the attribute S. A directory's size is 0.
//
// Paths: the empty path names the root directory; below it paths are "/" plus
// the name. Relative paths are taken relative to the working directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>  // memrchr
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_time.h"
#include "platform/open_directory.h"

namespace vrx {

// Longest directory path the walk lists, in bytes (PATH_MAX).
inline constexpr size_t kMaxPath = 4096;

struct DirEntryInfo {
  std::string name;
  uint32_t attributes = 0;
  FileTime modified = 0;
  FileTime accessed = 0;
  FileTime created = 0;  // birth time where the file system has one, else modified
  uint64_t size = 0;     // 0 for directories
  uint64_t device = 0;   // the file system's device number (st_dev)
  uint64_t inode = 0;    // the inode number on that device (st_ino)

  // The time chosen by a date kind: 0 modification, 1 access, 2 creation;
  // any other kind gives the modification time.
  FileTime TimeOfKind(int32_t dateKind) const;
};

// Lists an open directory. False when it cannot be read, or when its entries
// cannot be queried (no search permission); `out` is then empty.
bool ReadDirectory(const DirHandle& dir, std::vector<DirEntryInfo>* out);

// Opens and lists one directory by its path. False when it cannot be opened
// or read (no access, not existing, not a directory); `out` is then empty.
bool ListDirectory(const std::string& dirPath, std::vector<DirEntryInfo>* out);

// The attribute bits of a path, following a symbolic link. False when the path
// cannot be queried (missing, no access, dangling link).
bool QueryAttributes(const std::string& path, uint32_t* attributes);

// The directory entry of a path itself, following a symbolic link (a source
// location may be a link). `name` is the path's last component, "." for the
// root. False when the path cannot be queried.
bool QueryEntry(const std::string& path, DirEntryInfo* out);

// Joins a directory path and a name with "/" (the root "" gives "/name").
std::string JoinPath(const std::string& dirPath, const std::string& name);

// The last component of a path: the text after its last "/", and "." for the
// root ("" or "/"). A view into `path`, or of a literal.
inline std::string_view LastComponent(std::string_view path) {
  if (path.empty() || path == "/") {
    return ".";
  }
  // memrchr scans many bytes at a time; name comparisons call this for
  // millions of pairs.
  const void* slash = ::memrchr(path.data(), '/', path.size());
  if (slash == nullptr) {
    return path;
  }
  const char* name = static_cast<const char*>(slash) + 1;
  return {name, static_cast<size_t>(path.data() + path.size() - name)};
}

}  // namespace vrx
