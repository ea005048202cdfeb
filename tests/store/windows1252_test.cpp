// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/windows1252.h"

#include <gtest/gtest.h>

namespace pb {
namespace {

// The row the code page fills differently from Latin-1, in byte order 0x80..0x9F.
const char* const kRow80Utf8 =
    "\u20AC\u0081\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152\u008D\u017D\u008F"
    "\u0090\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\u009D\u017E\u0178";

std::string ByteRange(int from, int to) {
  std::string bytes;
  for (int b = from; b <= to; ++b) bytes.push_back(static_cast<char>(b));
  return bytes;
}

TEST(Windows1252, Row80BothWays) {
  const std::string bytes = ByteRange(0x80, 0x9F);
  EXPECT_EQ(FromWindows1252(bytes), kRow80Utf8);
  bool lossy = true;
  EXPECT_EQ(ToWindows1252(kRow80Utf8, &lossy), bytes);
  EXPECT_FALSE(lossy);
  EXPECT_EQ(ToWindows1252("\u20AC"), "\x80");
  EXPECT_EQ(ToWindows1252("\u0178"), "\x9F");
}

TEST(Windows1252, GermanLettersAndAscii) {
  EXPECT_EQ(ToWindows1252("C:\\Daten\\Gr\u00FC\u00DFe \u00C4\u00D6\u00DC\u00E4\u00F6"), "C:\\Daten\\Gr\xFC\xDF" "e \xC4\xD6\xDC\xE4\xF6");
  EXPECT_EQ(FromWindows1252("\xC4\xD6\xDC\xE4\xF6\xFC\xDF"), "\u00C4\u00D6\u00DC\u00E4\u00F6\u00FC\u00DF");
  EXPECT_EQ(FromWindows1252(std::string("a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(ToWindows1252(""), "");
}

TEST(Windows1252, EveryByteRoundTrips) {
  const std::string all = ByteRange(0x00, 0xFF);
  const std::string text = FromWindows1252(all);
  EXPECT_TRUE(IsWindows1252Representable(text));
  bool lossy = true;
  EXPECT_EQ(ToWindows1252(text, &lossy), all);
  EXPECT_FALSE(lossy);
}

TEST(Windows1252, CharacterOutsideThePageBecomesQuestionMark) {
  bool lossy = false;
  EXPECT_EQ(ToWindows1252("a\u03A9b", &lossy), "a?b");
  EXPECT_TRUE(lossy);
  EXPECT_EQ(ToWindows1252("\U0001F600"), "?");     // four-byte form: one character, one mark
  EXPECT_EQ(ToWindows1252("\u0100\u2000"), "??");  // just past Latin-1, and a punctuation not in the row
  EXPECT_FALSE(IsWindows1252Representable("x\u0100"));
  EXPECT_TRUE(IsWindows1252Representable("?"));  // a real question mark is no substitute
}

TEST(Windows1252, InvalidUtf8BytesBecomeQuestionMarks) {
  const struct {
    std::string input;
    std::string expected;
  } cases[] = {
      {"\xFF", "?"},                  // never a lead byte
      {"a\x80z", "a?z"},              // stray continuation
      {"\xE2\x82", "??"},             // cut short at the end
      {"\xE2\x82x", "??x"},           // cut short before an ASCII byte
      {"\xC0\xAF", "??"},             // overlong "/"
      {"\xED\xA0\x80", "???"},        // surrogate
      {"\xF4\x90\x80\x80", "????"},   // beyond U+10FFFF
      {"\xC3", "?"},
  };
  for (const auto& c : cases) {
    bool lossy = false;
    EXPECT_EQ(ToWindows1252(c.input, &lossy), c.expected);
    EXPECT_TRUE(lossy);
  }
}

}  // namespace
}  // namespace pb
