// The normal form of a path, for telling whether two spellings name the same
// place ("d", "./d", "d/../d", "$PWD/d" and a link to d): absolute, without
// "." and ".." components or doubled slashes, and with every symbolic link
// resolved. The root is the empty path, as everywhere else. Only comparisons
// use it; what the user sees keeps the user's spelling.
#pragma once

#include <string>

namespace vrx {

// Resolves an existing path through the file system. A path that cannot be
// resolved (missing, no access, too long) is made absolute against the
// working directory and cleaned up by its text alone.
std::string NormalPath(const std::string& path);

// Whether the normal path `inner` is `outer` itself or lies below it.
bool IsSameOrBelow(const std::string& inner, const std::string& outer);

}  // namespace vrx
