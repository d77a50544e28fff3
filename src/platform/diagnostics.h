// The diagnostics sink: per-file trouble during collection and comparison (a
// directory that cannot be listed, a file that cannot be opened) is written as
// one line here and the search goes on. Both programs send it to standard
// error; tests capture it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vrx {

class Diagnostics {
 public:
  virtual ~Diagnostics() = default;
  // Writes one message exactly as given (the caller supplies any line end).
  virtual void Write(std::string_view message) = 0;
  // printf-style convenience over Write.
  void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
};

// A message as one line for standard error: control characters escaped (a
// file name cannot break the line or steer a terminal), ending in one "\n".
std::string DiagnosticLine(std::string_view message);

// Writes to standard error.
class StderrDiagnostics : public Diagnostics {
 public:
  void Write(std::string_view message) override;
};

// Keeps every message: for tests, and for messages that are passed on only
// when they are wanted.
class CapturingDiagnostics : public Diagnostics {
 public:
  void Write(std::string_view message) override { messages.emplace_back(message); }
  std::vector<std::string> messages;
};

}  // namespace vrx
