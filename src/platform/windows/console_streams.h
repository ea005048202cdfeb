// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <streambuf>
#include <string>

namespace pb {

// The program's text is UTF-8; a console shows and takes UTF-16 whatever its
// code page, which stays as the user left it. Pipes and files get the bytes.

// Writes to a console. A character cut off at the end of what was written
// waits for its other bytes; invalid UTF-8 shows as U+FFFD.
class ConsoleOutputBuffer : public std::streambuf {
 public:
  explicit ConsoleOutputBuffer(void* console) : console_(console) { setp(buffer_, buffer_ + sizeof buffer_); }

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  void* console_;
  char buffer_[4096];
};

// Reads lines typed in a console, each ending in "\n"; Ctrl+Z at the start of
// a line ends the input.
class ConsoleInputBuffer : public std::streambuf {
 public:
  explicit ConsoleInputBuffer(void* console) : console_(console) {}

 protected:
  int_type underflow() override;

 private:
  void* console_;
  std::string line_;
  bool ended_ = false;
};

}  // namespace pb
