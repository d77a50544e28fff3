#include "results/member_texts.h"

#include <charconv>

#include "platform/attributes.h"

namespace vrx {

std::string MemberNameText(const FileEntry& entry) {
  return entry.IsDirectory() ? std::string(".") : std::string(entry.name());
}

std::string MemberDirectoryText(const FileEntry& entry) {
  // A file given by a relative name of its own lies in the working folder.
  // A file's location is not empty when its path has a '/'.
  if (!entry.IsDirectory() && entry.location().empty() &&
      entry.Path().find('/') == std::string::npos) {
    return ".";
  }
  return std::string(entry.location());
}

std::string AttributeLetters(uint32_t attributes) {
  std::string letters;
  if ((attributes & kAttrReadOnly) != 0) {
    letters += 'R';
  }
  if ((attributes & kAttrHidden) != 0) {
    letters += 'H';
  }
  if ((attributes & kAttrSystem) != 0) {
    letters += 'S';
  }
  if ((attributes & kAttrArchive) != 0) {
    letters += 'A';
  }
  return letters;
}

// The numeric conversions of strftime that the results use (%d %m %Y %y %H
// %M %S %%), without its dependence on the C locale; other characters are
// copied.
std::string FormatCalendarFields(const CalendarFields& f, const char* format) {
  std::string text;
  char buffer[24];
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%' || p[1] == '\0') {
      text += *p;
      continue;
    }
    ++p;
    int value = 0;
    bool plain = false;
    switch (*p) {
      case 'd':
        value = f.day;
        break;
      case 'm':
        value = f.month;
        break;
      case 'Y':
        value = f.year;
        plain = true;
        break;
      case 'y':
        value = (f.year % 100 + 100) % 100;
        break;
      case 'H':
        value = f.hour;
        break;
      case 'M':
        value = f.minute;
        break;
      case 'S':
        value = f.second;
        break;
      default:
        text += (*p == '%') ? std::string("%") : std::string("%") + *p;
        continue;
    }
    // As printf's "%d" and "%02d" write them.
    if (!plain && value >= 0 && value < 10) {
      text += '0';
    }
    text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
  }
  return text;
}

uint64_t SizeInKilobytes(uint64_t size) {
  return size == 0 ? 0 : size / 1024 + 1;
}

std::string LocalDateText(FileTime time, const char* strftimeFormat) {
  CalendarFields fields;
  if (!FileTimeToLocalFields(time, &fields) || fields.year < 1900) {
    // Not convertible or before 1900: the epoch, shown in local time.
    fields = CalendarFields{};
    if (!UnixSecondsToLocalFields(0, &fields)) {
      fields = CalendarFields{};
    }
  }
  return FormatCalendarFields(fields, strftimeFormat);
}

}  // namespace vrx
