// The result as one JSON document: the program, the capture period, the search
// parameters, the counts and the classes with their members (path, name,
// directory, size, attributes, times in ISO 8601 with offset, device, inode).
// A text that is not valid UTF-8 (a path, a pattern) is never mangled: its
// bytes stand in base64 under the field's name with "_base64" appended, and
// the plain field is left out. Written member by member, so that no tree of
// the whole result is built in memory.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "results/result_file.h"

namespace vrx {

class CvrxApp;

// Writes the document; false when a write failed or `stop` stopped it.
bool WriteResultJson(const CvrxApp& app, std::FILE* out, const StopCheck& stop = {});

// Standard base64 (RFC 4648, with padding) of the bytes of `bytes`.
std::string Base64(std::string_view bytes);

}  // namespace vrx
