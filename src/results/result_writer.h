// The stream writer shared by the result file's formats: collects the outcome
// of many writes (once one failed, the stream counts as bad) and asks the stop
// check between members.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/text.h"
#include "results/result_file.h"

namespace vrx {

class ResultWriter {
 public:
  ResultWriter(std::FILE* out, const StopCheck& stop) : out_(out), stop_(stop) {}

  // Asks the stop check; once it said stop, every later write is dropped.
  bool Stopped() {
    if (ok_ && stop_ && stop_()) {
      ok_ = false;
    }
    return !ok_;
  }

  void Put(std::string_view text) {
    if (ok_ && !text.empty() && std::fwrite(text.data(), 1, text.size(), out_) != text.size()) {
      ok_ = false;
    }
  }

  // Right-aligns `text` in at least `width` characters (UTF-8 characters, not
  // bytes); a longer text is written whole.
  void PutRight(std::string_view text, size_t width) {
    const size_t length = Utf8Length(text);
    if (length < width) {
      Put(std::string(width - length, ' '));
    }
    Put(text);
  }

  void PutNumber(uint64_t value) {
    char digits[24];
    const char* const end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    Put(std::string_view(digits, static_cast<size_t>(end - digits)));
  }

  // Flushes and reports whether every write so far went through.
  bool Finish() {
    if (ok_ && (std::fflush(out_) != 0 || std::ferror(out_) != 0)) {
      ok_ = false;
    }
    return ok_;
  }

 private:
  std::FILE* out_;
  const StopCheck& stop_;
  bool ok_ = true;
};

}  // namespace vrx
