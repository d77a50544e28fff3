// Text primitives over UTF-8 byte strings.
//
// File names are the bytes the file system returns; a byte that is not part of
// valid UTF-8 counts as one character of its own and is never changed.
//
// Two case foldings exist and are not interchangeable:
//   - the "code-page" folding of the name test and of the case-blind
//     comparisons (locations, names, the results' sort): every UTF-8 character
//     is folded with the simple Unicode upper-case mapping of the locale
//     C.UTF-8 (towupper_l), whatever locale the user runs, so "ä" becomes "Ä";
//   - the ASCII folding of the content search, MatchWildNoCase, the
//     difference counters and the content comparisons, which changes only
//     A to Z (or a to z); bytes from 0x80 on never change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vrx {

// ASCII upper-casing: only a to z change.
inline unsigned char AsciiUpper(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// ASCII lower-casing of a buffer in place, eight bytes at a time: only A to Z
// change.
void FoldAsciiLower(unsigned char* bytes, size_t length);

// True when the buffers are equal without regard to the case of ASCII
// letters: the answer of comparing AsciiUpper of every byte, eight bytes at a
// time.
bool EqualAsciiNoCase(const unsigned char* a, const unsigned char* b, size_t length);

// Decodes UTF-8 into characters. A valid sequence gives its code point; a
// byte that is not part of a valid sequence gives 0x110000 + the byte value,
// so it stays distinct from every real character.
std::vector<char32_t> DecodeUtf8(std::string_view text);

// Number of characters in the sense of DecodeUtf8.
size_t Utf8Length(std::string_view text);

// True when every byte of `text` belongs to a valid UTF-8 sequence.
bool IsValidUtf8(std::string_view text);

// The code-page upper-casing of a whole text (C.UTF-8 simple mapping);
// invalid bytes stay as they are.
std::string FoldUpper(std::string_view text);

// The same folding of one decoded character (invalid bytes unchanged).
char32_t FoldUpperChar(char32_t c);

// Case-blind comparison of two texts: characters are folded with FoldUpperChar
// and compared by code point; returns <0, 0 or >0.
int CompareNoCase(std::string_view a, std::string_view b);

// Appends a key whose byte order (memcmp, a shorter key first when it is a
// prefix) is the order CompareNoCase gives the texts: the folded characters
// in UTF-8, and each invalid byte b as the two bytes 0xF8 b, which come after
// every character as they do in CompareNoCase. Sorting many texts compares
// their keys instead of folding both texts at every comparison.
void AppendNoCaseSortKey(std::string_view text, std::string* out);

// True when upper-casing changes at least one character of the text.
bool HasFoldableChar(std::string_view text);

// A name as a report line or a terminal shows it: control characters are
// written as escapes, so that a name can neither begin a new line nor send a
// terminal an escape sequence. Tab, line feed and carriage return become
// "\t", "\n", "\r"; the other C0 characters and DEL "\xHH" (ESC is
// "\x1b"); the C1 characters U+0080..U+009F "\u0080".."\u009f". Every other
// byte stays, bytes that are not UTF-8 and the backslash included.
std::string EscapeControlCharacters(std::string_view text);

}  // namespace vrx
