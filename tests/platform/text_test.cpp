#include "platform/text.h"

#include <gtest/gtest.h>
#include <clocale>
#include <vector>

namespace vrx {
namespace {

TEST(TextTest, DecodeCountsCharactersAndKeepsInvalidBytes) {
  EXPECT_EQ(Utf8Length("Bericht_M\xc3\xa4rz"), 12U);
  const std::vector<char32_t> chars = DecodeUtf8("a\xff\xc3\xa4\xe2\x82");
  ASSERT_EQ(chars.size(), 5U);
  EXPECT_EQ(chars[0], U'a');
  EXPECT_EQ(chars[1], 0x110000U + 0xFF);
  EXPECT_EQ(chars[2], U'\u00e4');
  EXPECT_EQ(chars[3], 0x110000U + 0xE2) << "a truncated sequence gives its bytes one by one";
  EXPECT_EQ(chars[4], 0x110000U + 0x82);
  EXPECT_EQ(DecodeUtf8("\xc0\xaf").size(), 2U) << "overlong form";
  EXPECT_EQ(DecodeUtf8("\xed\xa0\x80").size(), 3U) << "surrogate";
}

TEST(TextTest, FoldUpperUsesTheUnicodeMappingWhateverTheLocale) {
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(FoldUpper("\xc3\xa4.doc"), "\xc3\x84.DOC");  // ä.doc -> Ä.DOC
  EXPECT_EQ(FoldUpper("stra\xc3\x9f"
                      "e"),
            "STRA\xc3\x9f"
            "E")
      << "no simple mapping for ß";
  EXPECT_EQ(FoldUpper("x\xffy"), "X\xffY");
  EXPECT_EQ(FoldUpperChar(U'\u03b1'), U'\u0391');  // Greek alpha
}

TEST(TextTest, CompareNoCase) {
  const struct {
    const char* a;
    const char* b;
    int sign;
  } cases[] = {
      {"abc", "ABC", 0},
      {"/Tmp/A", "/tmp/a", 0},
      {"\xc3\xa4", "\xc3\x84", 0},
      {"a", "b", -1},
      {"B", "a", 1},
      {"ab", "abc", -1},
      {"", "", 0},
      {"z", "\xc3\xa4", -1},
      // An invalid byte comes after every character, and bytes among themselves.
      {"\xff", "\xf4\x8f\xbf\xbf", 1},
      {"a\xfe", "A\xff", -1},
      {"\xc3", "\xc3\xa4", 1},
  };
  const auto sign = [](int v) { return (v > 0) - (v < 0); };
  const auto key = [](std::string_view text) {
    std::string k;
    AppendNoCaseSortKey(text, &k);
    return k;
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sign(CompareNoCase(c.a, c.b)), c.sign) << c.a << " vs " << c.b;
    EXPECT_EQ(sign(key(c.a).compare(key(c.b))), c.sign) << "sort keys of " << c.a << " vs " << c.b;
  }
  // The keys order any texts as CompareNoCase does.
  const char* const pieces[] = {"a",        "A",       "z",    "\xc3\xa4",         "\xc3\x84",
                                "\xc3\x9f", "\xff",    "\xc3", "\xf4\x8f\xbf\xbf", "\xe2\x82",
                                "/",        "\xce\xb1"};
  unsigned seed = 7;
  const auto next = [&seed] { return (seed = seed * 1103515245U + 12345U) >> 16; };
  for (int round = 0; round < 3000; ++round) {
    std::string a;
    std::string b;
    for (unsigned n = next() % 4; n > 0; --n)
      a += pieces[next() % std::size(pieces)];
    for (unsigned n = next() % 4; n > 0; --n)
      b += pieces[next() % std::size(pieces)];
    ASSERT_EQ(sign(key(a).compare(key(b))), sign(CompareNoCase(a, b))) << a << " vs " << b;
  }
}

TEST(TextTest, HasFoldableChar) {
  EXPECT_FALSE(HasFoldableChar("*ABC*"));
  EXPECT_FALSE(HasFoldableChar(""));
  EXPECT_FALSE(HasFoldableChar("123.?*"));
  EXPECT_TRUE(HasFoldableChar("*abc*"));
  EXPECT_TRUE(HasFoldableChar("\xc3\xa4"));
}

TEST(TextTest, AsciiUpperChangesOnlyAToZ) {
  EXPECT_EQ(AsciiUpper('a'), 'A');
  EXPECT_EQ(AsciiUpper('z'), 'Z');
  EXPECT_EQ(AsciiUpper('{'), '{');
  EXPECT_EQ(AsciiUpper(0xE4), 0xE4);
}

// The folding eight bytes at a time must give the answers of AsciiUpper on
// every byte, in a word and in the bytes after the last word: bytes from 0x80
// on whose low seven bits are a letter (0xC1, 0xE1), and the neighbours of
// the letters ('@', '[', '`', '{'), must not fold.
TEST(TextTest, WordFoldingAgreesWithAsciiUpper) {
  std::vector<unsigned char> all(256 + 5);
  for (size_t i = 0; i < all.size(); ++i) {
    all[i] = static_cast<unsigned char>(255 - i % 256);
  }
  std::vector<unsigned char> folded = all;
  FoldAsciiLower(folded.data(), folded.size());
  for (size_t i = 0; i < all.size(); ++i) {
    const unsigned char c = all[i];
    EXPECT_EQ(folded[i], c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c) << i;
  }
  for (const size_t at : {size_t{3}, size_t{9}}) {  // in the word, after it
    for (int x = 0; x < 256; ++x) {
      for (int y = 0; y < 256; ++y) {
        std::vector<unsigned char> a(11, 'q');
        std::vector<unsigned char> b(11, 'Q');
        a[at] = static_cast<unsigned char>(x);
        b[at] = static_cast<unsigned char>(y);
        ASSERT_EQ(EqualAsciiNoCase(a.data(), b.data(), a.size()),
                  AsciiUpper(a[at]) == AsciiUpper(b[at]))
            << x << " " << y << " at " << at;
      }
    }
  }
}

TEST(TextTest, EscapeControlCharacters) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"plain M\xc3\xa4rz.txt", "plain M\xc3\xa4rz.txt"},
      {"x\n2,passwd,", "x\\n2,passwd,"},
      {"a\tb\rc", "a\\tb\\rc"},
      {"\x1b]2;title\x07", "\\x1b]2;title\\x07"},
      {std::string("nul\0del\x7f", 8), "nul\\x00del\\x7f"},
      {"csi\xc2\x9b"
       "31m",
       "csi\\u009b31m"},                       // U+009B, the 8-bit CSI
      {"\xc2\xa0nbsp", "\xc2\xa0nbsp"},        // U+00A0 is no control character
      {"bad\xff\xfe\xc2", "bad\xff\xfe\xc2"},  // not UTF-8: kept
      {"back\\slash", "back\\slash"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EscapeControlCharacters(c.in), c.out) << c.in;
  }
}

}  // namespace
}  // namespace vrx
