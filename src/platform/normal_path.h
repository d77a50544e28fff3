// The normal form of a path, for telling whether two spellings name the same
// place ("d", "./d", "d/../d", "$PWD/d" and a link to d): absolute, without
// "." and ".." components or doubled slashes, and with every symbolic link
// resolved. The root is the empty path, as everywhere else. Only comparisons
// use it; what the user sees keeps the user's spelling.
#pragma once

#include <string>
#include <string_view>

namespace vrx {

// Resolves an existing path through the file system. A path that cannot be
// resolved (missing, no access, too long) is made absolute against the
// working directory and cleaned by its text alone.
std::string NormalPath(const std::string& path);

// The text alone, without touching a disk: `path` made absolute against
// `workingFolder`, doubled slashes and "." components removed, ".." taking
// away the component before it (never above the root). The root is "/".
std::string CleanAbsolutePath(std::string_view path, std::string_view workingFolder);

// Whether CleanAbsolutePath would give `path` back as it is: absolute, no
// empty, "." or ".." component, no slash at the end but for the root.
bool IsCleanAbsolutePath(std::string_view path);

// Whether the clean absolute path `inner` is `outer` itself or lies below it
// (whole components: "/a/bc" is not below "/a/b"). The root, "" or "/",
// holds everything.
bool IsSameOrBelow(std::string_view inner, std::string_view outer);

}  // namespace vrx
