#include "actions/paths.h"

#include <vector>

namespace vrx {

std::string AbsolutePath(std::string_view path, std::string_view workingFolder) {
  std::string joined;
  if (!path.starts_with('/')) {
    joined = workingFolder;
    joined += '/';
  }
  joined += path;
  std::vector<std::string_view> parts;
  const std::string_view all = joined;
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find('/', start);
    if (end == std::string_view::npos) {
      end = all.size();
    }
    const std::string_view part = all.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) {
        parts.pop_back();
      }
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string clean;
  for (const std::string_view part : parts) {
    clean += '/';
    clean += part;
  }
  return clean.empty() ? "/" : clean;
}

bool IsInFolder(std::string_view path, std::string_view folder) {
  if (folder == "/" || folder.empty()) {
    return true;
  }
  return path.starts_with(folder) && (path.size() == folder.size() || path[folder.size()] == '/');
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
