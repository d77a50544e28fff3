// The texts of one class member, shared by the result file and the results
// list: name, directory, attribute letters, sizes and local dates.
#pragma once

#include <cstdint>
#include <string>

#include "collect/file_entry.h"

namespace vrx {

// "." for a directory, else the record's name.
std::string MemberNameText(const FileEntry& entry);
// A directory's whole path; a file's path before its last "/" (the root's
// files give "", a path without "/" gives ".").
std::string MemberDirectoryText(const FileEntry& entry);
// "R", "H", "S", "A" in this order, each when its bit is set.
std::string AttributeLetters(uint32_t attributes);
// The results list's size column: 0 for 0 bytes, else bytes / 1024 + 1.
uint64_t SizeInKilobytes(uint64_t size);
// Local calendar fields written with the numeric strftime conversions %d, %m,
// %Y, %y, %H, %M, %S and %% (two digits each, four for %Y).
std::string FormatCalendarFields(const CalendarFields& fields, const char* format);
// The record's time in local time with the given strftime format; a time that
// cannot be converted or lies before 1900 gives the epoch in local time.
std::string LocalDateText(FileTime time, const char* strftimeFormat);

}  // namespace vrx
