#include "platform/diagnostics.h"

#include <unistd.h>
#include <cstdarg>
#include <cstdio>

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

void StderrDiagnostics::Write(std::string_view message) {
  std::fwrite(message.data(), 1, message.size(), stderr);
  // Some diagnostics carry no line end of their own; on a terminal the next
  // line must not run into them.
  if (message.empty() || message.back() != '\n') {
    std::fputc('\n', stderr);
  }
  std::fflush(stderr);
}

}  // namespace vrx
