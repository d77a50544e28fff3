#include "platform/normal_path.h"

#include <algorithm>

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace vrx {
namespace {

// The working directory, "" when it cannot be read.
std::string WorkingDirectory() {
  const std::unique_ptr<char, decltype(&std::free)> cwd(::getcwd(nullptr, 0), &std::free);
  return cwd ? std::string(cwd.get()) : std::string();
}

}  // namespace

std::string NormalPath(const std::string& path) {
  const std::unique_ptr<char, decltype(&std::free)> resolved(
      ::realpath(path.empty() ? "/" : path.c_str(), nullptr), &std::free);
  std::string out = resolved ? std::string(resolved.get())
                             : CleanAbsolutePath(path.empty() ? "/" : path, WorkingDirectory());
  return out == "/" ? std::string() : out;
}

bool IsCleanAbsolutePath(std::string_view path) {
  if (path == "/") {
    return true;
  }
  if (!path.starts_with('/') || path.ends_with('/')) {
    return false;
  }
  for (size_t start = 1; start <= path.size();) {
    const size_t end = std::min(path.find('/', start), path.size());
    const std::string_view part = path.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") {
      return false;
    }
    start = end + 1;
  }
  return true;
}

std::string CleanAbsolutePath(std::string_view path, std::string_view workingFolder) {
  if (IsCleanAbsolutePath(path)) {
    return std::string(path);
  }
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

bool IsSameOrBelow(std::string_view inner, std::string_view outer) {
  if (outer.empty() || outer == "/") {
    return true;
  }
  return inner.starts_with(outer) && (inner.size() == outer.size() || inner[outer.size()] == '/');
}

}  // namespace vrx
