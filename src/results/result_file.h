// The result file: a text report (title, capture period, parameter report,
// counts, classes) or a comma-separated list, chosen by the extension (csv in
// any letter case). Written in UTF-8 with "\n" line ends; a file that cannot
// be created or written is reported as an error, never as success.
#pragma once

#include <cstdio>
#include <string>

namespace vrx {

class CvrxApp;

enum class ResultFormat { kText, kCsv };

// kCsv when the part after the last "." of the file name is "csv" in any case.
ResultFormat FormatForPath(const std::string& path);

// Writes the chosen format to an open stream. False when a write failed.
bool WriteResultText(const CvrxApp& app, std::FILE* out);
bool WriteResultCsv(const CvrxApp& app, std::FILE* out);

// Creates (or replaces) `path` and writes the format its extension chooses.
// On failure returns false and sets `error` to a readable German message.
bool SaveResultFile(const CvrxApp& app, const std::string& path, std::string* error);

}  // namespace vrx
