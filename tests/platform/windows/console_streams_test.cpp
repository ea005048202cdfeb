// SPDX-License-Identifier: GPL-3.0-or-later
// Text through a console of its own: what the console shows and what typed
// keys give, whatever its code page.
#include "platform/windows/console_streams.h"

#include <windows.h>

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace pb {
namespace {

class ConsoleStreamsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Run from a pipe the test has no console yet. Its code page is one of
    // the old ones, in which UTF-8 bytes would show as "GrÃ¼ÃŸe".
    AllocConsole();
    SetConsoleOutputCP(850);
    SetConsoleCP(850);
    codePage_ = GetConsoleOutputCP();
  }

  void SetUp() override {
    screen_ = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        CONSOLE_TEXTMODE_BUFFER, nullptr);
    if (screen_ == INVALID_HANDLE_VALUE) GTEST_SKIP() << "no console here";
  }
  void TearDown() override {
    if (screen_ != INVALID_HANDLE_VALUE) CloseHandle(screen_);
  }

  // The first row of the screen, without the blanks after the text.
  std::wstring FirstRow() const {
    wchar_t row[80] = {};
    DWORD read = 0;
    EXPECT_TRUE(ReadConsoleOutputCharacterW(screen_, row, 80, COORD{0, 0}, &read));
    std::wstring text(row, read);
    text.erase(text.find_last_not_of(L' ') + 1);
    return text;
  }

  static UINT codePage_;
  HANDLE screen_ = INVALID_HANDLE_VALUE;
};

UINT ConsoleStreamsTest::codePage_ = 0;

TEST_F(ConsoleStreamsTest, ShowsUtf8AsItsCharactersInAnyCodePage) {
  const struct {
    std::vector<std::string> writes;  // each flushed on its own
    std::wstring shown;
  } table[] = {
      {{"Gr\xc3\xbc\xc3\x9f" "e aus K\xc3\xb6ln, 5 \xe2\x82\xac"}, L"Grüße aus Köln, 5 €"},
      {{"Gr\xc3", "\xbc\xc3\x9f" "e"}, L"Grüße"},
      {{"5 \xe2", "\x82", "\xac!"}, L"5 €!"},
      {{"a\xff" "b"}, L"a\xfffd" L"b"},
  };
  for (const auto& c : table) {
    SCOPED_TRACE(c.writes.front().substr(0, 20));
    const COORD home{0, 0};
    DWORD written = 0;
    FillConsoleOutputCharacterW(screen_, L' ', 80 * 100, home, &written);
    SetConsoleCursorPosition(screen_, home);
    ConsoleOutputBuffer buffer(screen_);
    std::ostream out(&buffer);
    for (const std::string& piece : c.writes) out << piece << std::flush;
    EXPECT_TRUE(out.good());
    EXPECT_EQ(FirstRow(), c.shown);
  }
  EXPECT_EQ(GetConsoleOutputCP(), codePage_) << "the code page stays as it was";
  EXPECT_EQ(codePage_, 850u);
}

TEST_F(ConsoleStreamsTest, LongTextKeepsTheCharacterAtTheBufferEdgeWhole) {
  // The buffer holds 4096 bytes: "ä" begins at its last one.
  ConsoleOutputBuffer buffer(screen_);
  std::ostream out(&buffer);
  const COORD home{0, 0};
  SetConsoleCursorPosition(screen_, home);
  const std::string text = std::string(4095, '-') + "\xc3\xa4" + "Ende";
  out << text << std::flush;
  CONSOLE_SCREEN_BUFFER_INFO info{};
  ASSERT_TRUE(GetConsoleScreenBufferInfo(screen_, &info));
  const SHORT width = info.dwSize.X;
  const COORD at{static_cast<SHORT>(4095 % width), static_cast<SHORT>(4095 / width)};
  wchar_t shown[5] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadConsoleOutputCharacterW(screen_, shown, 5, at, &read));
  EXPECT_EQ(std::wstring(shown, read), L"äEnde");
}

TEST_F(ConsoleStreamsTest, TypedLinesArriveAsUtf8) {
  const HANDLE input = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(input, INVALID_HANDLE_VALUE);
  FlushConsoleInputBuffer(input);
  std::vector<INPUT_RECORD> keys;
  for (const wchar_t c : std::wstring(L"ja\rGrüße €\r\x1a\r")) {
    INPUT_RECORD key{};
    key.EventType = KEY_EVENT;
    key.Event.KeyEvent.bKeyDown = TRUE;
    key.Event.KeyEvent.wRepeatCount = 1;
    key.Event.KeyEvent.wVirtualKeyCode = c == L'\r' ? VK_RETURN : 0;
    key.Event.KeyEvent.uChar.UnicodeChar = c;
    keys.push_back(key);
  }
  DWORD written = 0;
  ASSERT_TRUE(WriteConsoleInputW(input, keys.data(), static_cast<DWORD>(keys.size()), &written));
  ConsoleInputBuffer buffer(input);
  std::istream in(&buffer);
  std::string line;
  const char* const expected[] = {"ja", "Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac"};
  for (const char* text : expected) {
    ASSERT_TRUE(std::getline(in, line));
    EXPECT_EQ(line, text);
  }
  EXPECT_FALSE(std::getline(in, line)) << "Ctrl+Z ends the input";
  CloseHandle(input);
}

}  // namespace
}  // namespace pb
