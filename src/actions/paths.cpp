#include "actions/paths.h"

#include "platform/normal_path.h"

namespace vrx {

std::string AbsolutePath(std::string_view path, std::string_view workingFolder) {
  return CleanAbsolutePath(path, workingFolder);
}

bool IsInFolder(std::string_view path, std::string_view folder) {
  return IsSameOrBelow(path, folder);
}

std::string ParentOf(std::string_view path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) {
    return ".";
  }
  return slash == 0 ? "/" : std::string(path.substr(0, slash));
}

std::string NameOf(std::string_view path) {
  const size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string MovedPath(std::string_view folder, std::string_view path) {
  std::string moved(folder == "/" ? "" : folder);
  if (!path.starts_with('/')) {
    moved += '/';
  }
  moved += path;
  return moved;
}

}  // namespace vrx
