// The result file: a text report (title, capture period, parameter report,
// counts, classes), a comma-separated list or a JSON document, chosen by the
// extension (csv, json in any letter case), or the members' paths separated
// by NUL bytes. Written in UTF-8 with "\n" line ends; a file that cannot
// be created or written is reported as an error, never as success. The text
// report shows control characters of names escaped ("\n", "\x1b"); the list
// quotes a name or folder as RFC 4180 does when it holds a comma, a double
// quote or a line break, and writes every other field as it is.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace vrx {

class CvrxApp;

enum class ResultFormat { kText, kCsv, kJson, kPaths0 };

// kCsv when the part after the last "." of the file name is "csv" in any case,
// kJson for "json", else kText.
ResultFormat FormatForPath(const std::string& path);

// Asked before each member line is written; true stops the writing, which
// then counts as failed (a result file is not put in place).
using StopCheck = std::function<bool()>;

// Writes the chosen format to an open stream. False when a write failed or
// `stop` stopped it.
bool WriteResultText(const CvrxApp& app, std::FILE* out, const StopCheck& stop = {});
bool WriteResultCsv(const CvrxApp& app, std::FILE* out, const StopCheck& stop = {});
// Every member's path followed by a NUL byte; after each class one more NUL
// byte (an empty record). The paths byte for byte, for xargs -0.
bool WriteResultPaths0(const CvrxApp& app, std::FILE* out, const StopCheck& stop = {});
// The writer of `format`.
bool WriteResult(const CvrxApp& app, ResultFormat format, std::FILE* out,
                 const StopCheck& stop = {});

// Creates (or replaces) `path` and writes the format its extension chooses. A
// failed or stopped save leaves what stood at `path` unchanged. On failure
// returns false and sets `error` to a readable German message.
bool SaveResultFile(const CvrxApp& app, const std::string& path, std::string* error,
                    const StopCheck& stop = {});
// The same in the given format, whatever the extension.
bool SaveResultFileAs(const CvrxApp& app, const std::string& path, ResultFormat format,
                      std::string* error, const StopCheck& stop = {});

// Whether SaveResultFile could create or replace `path` now; nothing is left
// behind. On false, `error` holds the message SaveResultFile would give.
bool CanSaveResultFile(const std::string& path, std::string* error);

}  // namespace vrx
