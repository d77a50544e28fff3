// The wildcard matcher: "*" stands for any run of characters (also none), "?"
// for exactly one; every other character for itself. A pattern describes a
// whole text. The answers are those of the classic backtracking matcher, but
// the work grows at most with pattern length times text length.
#pragma once

#include <cstddef>
#include <string_view>

namespace vrx {

// Byte-wise (content patterns).
bool MatchWild(const unsigned char* pattern, size_t patternLength, const unsigned char* text,
               size_t textLength);
// Byte-wise after ASCII upper-casing of both sides.
bool MatchWildNoCase(const unsigned char* pattern, size_t patternLength, const unsigned char* text,
                     size_t textLength);

inline bool MatchWild(std::string_view pattern, std::string_view text) {
  return MatchWild(reinterpret_cast<const unsigned char*>(pattern.data()), pattern.size(),
                   reinterpret_cast<const unsigned char*>(text.data()), text.size());
}
inline bool MatchWildNoCase(std::string_view pattern, std::string_view text) {
  return MatchWildNoCase(reinterpret_cast<const unsigned char*>(pattern.data()), pattern.size(),
                         reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

// Character-wise over UTF-8 (name patterns): "?" matches one character, an
// invalid byte counts as one character.
bool MatchWildName(std::string_view pattern, std::string_view name);

// The same over characters already decoded (DecodeUtf8), for callers that
// match one name against several patterns.
bool MatchWildChars(const char32_t* pattern, size_t patternLength, const char32_t* text,
                    size_t textLength);

}  // namespace vrx
