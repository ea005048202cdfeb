// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/process_host.h"
#include "platform/windows/wide_text.h"

#include "platform/windows/windows_api.h"
#include <shellapi.h>

namespace pb {

// The arguments come from the UTF-16 command line, since argv holds them in
// the ANSI code page; the console shows and takes UTF-8 like a terminal here.
std::vector<std::string> StartProcess(int, char**) {
  SetConsoleOutputCP(CP_UTF8);
  SetConsoleCP(CP_UTF8);
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; wide != nullptr && i < count; ++i) arguments.push_back(WideToUtf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

bool ErrorStreamIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace pb
