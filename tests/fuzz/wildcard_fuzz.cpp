// Fuzz target: the wildcard matcher against a slow, obviously correct
// reference. Input: a pattern and a text separated by the first zero byte.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "collect/wildcard.h"
#include "platform/text.h"

namespace {

// Dynamic programming over (pattern position, text position).
bool Reference(const std::string& p, const std::string& t, bool noCase) {
  const auto eq = [&](unsigned char a, unsigned char b) {
    return noCase ? vrx::AsciiUpper(a) == vrx::AsciiUpper(b) : a == b;
  };
  std::vector<std::vector<char>> m(p.size() + 1, std::vector<char>(t.size() + 1, 0));
  m[p.size()][t.size()] = 1;
  for (size_t i = p.size(); i-- > 0;) {
    for (size_t j = t.size() + 1; j-- > 0;) {
      if (p[i] == '*') {
        m[i][j] = static_cast<char>(m[i + 1][j] || (j < t.size() && m[i][j + 1]));
      } else if (j < t.size() && (p[i] == '?' || eq(static_cast<unsigned char>(p[i]),
                                                    static_cast<unsigned char>(t[j])))) {
        m[i][j] = m[i + 1][j + 1];
      }
    }
  }
  return m[0][0] != 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  const std::string pattern = input.substr(0, split);
  const std::string text = split == std::string::npos ? std::string() : input.substr(split + 1);
  if (pattern.size() > 64 || text.size() > 256) {
    return 0;
  }
  if (vrx::MatchWild(pattern, text) != Reference(pattern, text, false)) {
    std::abort();
  }
  if (vrx::MatchWildNoCase(pattern, text) != Reference(pattern, text, true)) {
    std::abort();
  }
  return 0;
}
