#include "platform/normal_path.h"

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace vrx {
namespace {

// The working directory, "" when it cannot be read.
std::string WorkingDirectory() {
  std::unique_ptr<char, decltype(&std::free)> cwd(::getcwd(nullptr, 0), &std::free);
  return cwd ? std::string(cwd.get()) : std::string();
}

// Absolute and cleaned by the text alone: "." dropped, ".." takes back the
// component before it (never above the root), doubled slashes merged.
std::string LexicalNormalPath(const std::string& path) {
  const std::string absolute =
      !path.empty() && path[0] != '/' ? WorkingDirectory() + "/" + path : path;
  std::vector<std::string> parts;
  size_t at = 0;
  while (at <= absolute.size()) {
    size_t end = absolute.find('/', at);
    if (end == std::string::npos) {
      end = absolute.size();
    }
    const std::string part = absolute.substr(at, end - at);
    if (part == "..") {
      if (!parts.empty()) {
        parts.pop_back();
      }
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    at = end + 1;
  }
  std::string out;
  for (const std::string& part : parts) {
    out += '/';
    out += part;
  }
  return out;
}

}  // namespace

std::string NormalPath(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> resolved(
      ::realpath(path.empty() ? "/" : path.c_str(), nullptr), &std::free);
  if (!resolved) {
    return LexicalNormalPath(path);
  }
  const std::string out(resolved.get());
  return out == "/" ? std::string() : out;
}

bool IsSameOrBelow(const std::string& inner, const std::string& outer) {
  return inner.size() >= outer.size() && inner.compare(0, outer.size(), outer) == 0 &&
         (inner.size() == outer.size() || inner[outer.size()] == '/');
}

}  // namespace vrx
