// Fuzz target: the plausibility check on random parameter records over a
// small fixed tree. No crash; the grade is 0, 1 or 2; every message ends with
// "\n\r"; no grade without a message and no message without a grade.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "engine/prepare_search.h"
#include "platform/diagnostics.h"

namespace {

void Require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

// A fixed tree: /tmp/parlind-check-fuzz/{a/{b/,x.txt},c/,y.bin}
const std::string& Root() {
  static const std::string root = [] {
    const std::string r = "/tmp/parlind-check-fuzz";
    ::mkdir(r.c_str(), 0755);
    ::mkdir((r + "/a").c_str(), 0755);
    ::mkdir((r + "/a/b").c_str(), 0755);
    ::mkdir((r + "/c").c_str(), 0755);
    std::ofstream(r + "/a/x.txt") << "hello";
    std::ofstream(r + "/y.bin") << "0123456789";
    return r;
  }();
  return root;
}

class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Next() { return pos_ < size_ ? data_[pos_++] : 0; }
  bool Flag() { return (Next() & 1) != 0; }
  uint32_t Number() {
    const uint8_t b = Next();
    return (b & 0x80) != 0 ? 0xFFFFFFF0U + (b & 0x0F) : b & 0x0F;
  }
  std::string Text() {
    static const char* const kPieces[] = {"a",   "a/b", "a/x.txt", "c",  "y.bin", "missing", "+",
                                          "; ",  ", ",  "*",       "?",  "*.txt", "a:b",     "x/y",
                                          "*a*", "ABC", "<10",     ">5", "<=0",   "00",      " "};
    std::string text;
    const int count = Next() % 6;
    for (int i = 0; i < count; ++i) {
      const uint8_t pick = Next() % (sizeof kPieces / sizeof kPieces[0]);
      std::string piece = kPieces[pick];
      if (pick < 6 && (Next() & 1) != 0) {
        piece = Root() + "/" + piece;
      }
      text += piece;
    }
    return text;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Bytes in(data, size);
  vrx::FormValues form;
  form.sourceInclText = in.Text();
  form.sourceExclText = in.Text();
  form.sourceActive = in.Flag();
  form.sourceInvert = in.Flag();
  form.sourceRanges = form.sourceInvert && in.Flag();
  form.nameInclText = in.Text();
  form.nameInclCase = in.Flag();
  form.nameInclAll = in.Flag();
  form.nameExclText = in.Text();
  form.nameExclCase = in.Flag();
  form.nameExclAll = in.Flag();
  form.nameActive = in.Flag();
  form.nameMax = in.Flag();
  form.nameDiff = in.Number();
  if (in.Flag()) {
    form.startDate = vrx::PickedDate{2000 + in.Next() % 40, 1 + in.Next() % 12, 1 + in.Next() % 28};
  }
  if (in.Flag()) {
    form.endDate = vrx::PickedDate{2000 + in.Next() % 40, 1 + in.Next() % 12, 1 + in.Next() % 28};
  }
  form.dateKind = in.Next() % 3;
  form.dateActive = in.Flag();
  form.dateSeconds = in.Number();
  form.attrInclMask = in.Next() & 0x37;
  form.attrExclMask = in.Next() & 0x37;
  form.attrActive = in.Flag();
  form.attrMax = in.Flag();
  form.attrDiff = in.Number();
  form.sizeText = in.Text();
  form.sizeActive = in.Flag();
  form.sizeMax = true;
  form.sizeDiff = in.Number();
  form.sizePercent = vrx::PercentUnit(in.Flag(), form.sizeDiff);
  form.contentInclText = in.Text();
  form.contentInclCase = in.Flag();
  form.contentInclAll = in.Flag();
  form.contentExclText = in.Text();
  form.contentExclAll = in.Flag();
  form.contentActive = in.Flag();
  form.contentDiff = in.Number();

  vrx::CapturingDiagnostics diagnostics;
  const vrx::PreparedSearch prepared = vrx::PrepareSearch(form, diagnostics, Root());
  const std::string& messages = prepared.messages;
  Require((prepared.grade == vrx::CheckGrade::kClean) == messages.empty());
  Require(messages.empty() || messages.size() >= 2);
  if (!messages.empty()) {
    Require(messages.compare(messages.size() - 2, 2, "\n\r") == 0);
  }
  return 0;
}
