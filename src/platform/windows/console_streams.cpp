// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/console_streams.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/windows/wide_text.h"

#include "platform/windows/windows_api.h"

namespace pb {

namespace {

// The length of text without a character cut off at its end.
std::size_t CompleteLength(std::string_view text) {
  for (std::size_t back = 1; back <= std::min<std::size_t>(3, text.size()); ++back) {
    const auto byte = static_cast<unsigned char>(text[text.size() - back]);
    if ((byte & 0xC0) == 0x80) continue;
    const std::size_t needed = byte >= 0xF8 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return needed > back ? text.size() - back : text.size();
  }
  return text.size();
}

}  // namespace

ConsoleOutputBuffer::int_type ConsoleOutputBuffer::overflow(int_type c) {
  if (sync() != 0) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

int ConsoleOutputBuffer::sync() {
  const std::string_view pending(pbase(), static_cast<std::size_t>(pptr() - pbase()));
  const std::size_t complete = CompleteLength(pending);
  const std::wstring wide = Utf8ToWide(pending.substr(0, complete));
  for (std::size_t done = 0; done < wide.size();) {
    DWORD written = 0;
    if (!WriteConsoleW(console_, wide.data() + done, static_cast<DWORD>(wide.size() - done), &written, nullptr) ||
        written == 0) {
      return -1;
    }
    done += written;
  }
  const std::size_t cut = pending.size() - complete;
  std::memmove(buffer_, pbase() + complete, cut);
  setp(buffer_, buffer_ + sizeof buffer_);
  pbump(static_cast<int>(cut));
  return 0;
}

ConsoleInputBuffer::int_type ConsoleInputBuffer::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  std::wstring wide;
  while (!ended_ && (wide.empty() || wide.back() != L'\n')) {
    wchar_t chunk[512];
    DWORD read = 0;
    if (!ReadConsoleW(console_, chunk, static_cast<DWORD>(std::size(chunk)), &read, nullptr) || read == 0) break;
    wide.append(chunk, read);
    ended_ = wide.front() == L'\x1a';
  }
  if (ended_ || wide.empty()) return traits_type::eof();
  // The console ends a line with CR LF.
  if (wide.size() >= 2 && wide[wide.size() - 2] == L'\r') wide.erase(wide.size() - 2, 1);
  line_ = WideToUtf8(wide);
  setg(line_.data(), line_.data(), line_.data() + line_.size());
  return traits_type::to_int_type(*gptr());
}

}  // namespace pb
