#include "platform/text.h"

#include <clocale>  // newlocale
#include <cstring>
#include <cwctype>  // towupper_l

namespace vrx {
namespace {

constexpr char32_t kInvalidBase = 0x110000;

// ASCII case folding (A-Z to a-z), eight bytes at a time: a byte is an
// upper-case letter when its low seven bits lie in 'A'..'Z' and its high bit
// is clear; adding to the low seven bits of every byte never carries into the
// next byte.
constexpr uint64_t kOnes = 0x0101010101010101;

uint64_t FoldWord(uint64_t x) {
  const uint64_t low7 = x & (0x7F * kOnes);
  const uint64_t atLeastA = low7 + (0x80 - 'A') * kOnes;
  const uint64_t beyondZ = low7 + (0x80 - 'Z' - 1) * kOnes;
  const uint64_t upper = atLeastA & ~beyondZ & ~x & (0x80 * kOnes);
  return x | (upper >> 2);
}

unsigned char FoldByte(unsigned char c) {
  return static_cast<unsigned char>(c - 'A') < 26 ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// Decodes one character at `pos`; advances `pos`. Overlong forms, surrogates,
// values above U+10FFFF and truncated sequences give one invalid byte.
char32_t DecodeOne(std::string_view text, size_t* pos) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(*pos);
  if (lead < 0x80) {
    ++*pos;
    return lead;
  }
  int extra = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1;
    value = lead & 0x1F;
    minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2;
    value = lead & 0x0F;
    minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3;
    value = lead & 0x07;
    minimum = 0x10000;
  } else {
    ++*pos;
    return kInvalidBase + lead;
  }
  for (int i = 1; i <= extra; ++i) {
    const size_t at = *pos + static_cast<size_t>(i);
    if (at >= text.size() || (byte(at) & 0xC0) != 0x80) {
      ++*pos;
      return kInvalidBase + lead;
    }
    value = (value << 6) | (byte(at) & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    ++*pos;
    return kInvalidBase + lead;
  }
  *pos += static_cast<size_t>(extra) + 1;
  return value;
}

void EncodeOne(char32_t c, std::string* out) {
  if (c >= kInvalidBase) {
    out->push_back(static_cast<char>(c - kInvalidBase));
  } else if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// The locale whose simple case mapping folds names, whatever the user runs.
locale_t FoldingLocale() {
  static const locale_t locale =
      newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return locale;
}

}  // namespace

std::vector<char32_t> DecodeUtf8(std::string_view text) {
  std::vector<char32_t> chars;
  chars.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    chars.push_back(DecodeOne(text, &pos));
  }
  return chars;
}

size_t Utf8Length(std::string_view text) {
  size_t count = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    DecodeOne(text, &pos);
    ++count;
  }
  return count;
}

bool IsValidUtf8(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size()) {
    if (DecodeOne(text, &pos) >= kInvalidBase) {
      return false;
    }
  }
  return true;
}

char32_t FoldUpperChar(char32_t c) {
  if (c < 0x80) {
    return AsciiUpper(static_cast<unsigned char>(c));
  }
  if (c >= kInvalidBase) {
    return c;
  }
  const locale_t locale = FoldingLocale();
  if (locale == static_cast<locale_t>(nullptr)) {
    return c;
  }
  return static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), locale));
}

std::string FoldUpper(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    EncodeOne(FoldUpperChar(DecodeOne(text, &pos)), &out);
  }
  return out;
}

int CompareNoCase(std::string_view a, std::string_view b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const char32_t ca = FoldUpperChar(DecodeOne(a, &i));
    const char32_t cb = FoldUpperChar(DecodeOne(b, &j));
    if (ca != cb) {
      return ca < cb ? -1 : 1;
    }
  }
  if (i < a.size()) {
    return 1;
  }
  if (j < b.size()) {
    return -1;
  }
  return 0;
}

void AppendNoCaseSortKey(std::string_view text, std::string* out) {
  size_t pos = 0;
  while (pos < text.size()) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x80) {  // most names: one byte, folded in place
      out->push_back(static_cast<char>(AsciiUpper(byte)));
      ++pos;
      continue;
    }
    const char32_t c = FoldUpperChar(DecodeOne(text, &pos));
    if (c >= kInvalidBase) {
      out->push_back(static_cast<char>(0xF8));
    }
    EncodeOne(c, out);
  }
}

bool HasFoldableChar(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size()) {
    const char32_t c = DecodeOne(text, &pos);
    if (FoldUpperChar(c) != c) {
      return true;
    }
  }
  return false;
}

std::string EscapeControlCharacters(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const bool c1 = c == 0xC2 && i + 1 < text.size() &&
                    (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80;
    if (c1) {
      const auto code = static_cast<unsigned char>(text[++i]);
      out += "\\u00";
      out += kHex[code >> 4];
      out += kHex[code & 0xF];
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c == 0x7F) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

void FoldAsciiLower(unsigned char* bytes, size_t length) {
  size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + i, 8);
    word = FoldWord(word);
    std::memcpy(bytes + i, &word, 8);
  }
  for (; i < length; ++i) {
    bytes[i] = FoldByte(bytes[i]);
  }
}

bool EqualAsciiNoCase(const unsigned char* a, const unsigned char* b, size_t length) {
  size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    uint64_t x;
    uint64_t y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y && FoldWord(x) != FoldWord(y)) {
      return false;
    }
  }
  for (; i < length; ++i) {
    if (FoldByte(a[i]) != FoldByte(b[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace vrx
