#include "platform/diagnostics.h"

#include <unistd.h>

#include <cstdarg>
#include <cstdio>

#include "platform/text.h"

namespace vrx {

void Diagnostics::Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text;
  if (needed > 0) {
    text.resize(static_cast<size_t>(needed) + 1);
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(needed));
  }
  va_end(args);
  Write(text);
}

std::string DiagnosticLine(std::string_view message) {
  // Some diagnostics carry no line end of their own; the next line must not
  // run into them.
  if (!message.empty() && message.back() == '\n') {
    message.remove_suffix(1);
  }
  return EscapeControlCharacters(message) + "\n";
}

void StderrDiagnostics::Write(std::string_view message) {
  const std::string line = DiagnosticLine(message);
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace vrx
