// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/console.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "platform/windows/console_streams.h"
#include "platform/windows/wide_text.h"

#include "platform/windows/windows_api.h"
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

namespace pb::console {

namespace {

std::atomic<bool> interruptNoted{false};
std::atomic<bool> interruptsDeferred{false};
const char* interruptMessage = "";
int interruptStatus = 130;

DWORD StandardHandleOf(Stream stream) {
  switch (stream) {
    case Stream::In: return STD_INPUT_HANDLE;
    case Stream::Out: return STD_OUTPUT_HANDLE;
    case Stream::Err: break;
  }
  return STD_ERROR_HANDLE;
}

[[noreturn]] void WriteAndExit() {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), interruptMessage, static_cast<DWORD>(std::strlen(interruptMessage)),
            &written, nullptr);
  std::_Exit(interruptStatus);
}

// Runs on a thread of its own for Ctrl+C, Ctrl+Break and a closing console.
BOOL WINAPI OnInterrupt(DWORD) {
  interruptNoted = true;
  if (!interruptsDeferred) WriteAndExit();
  return TRUE;
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

// The standard streams that are a console speak UTF-16 with it; the buffers
// live as long as the streams, to the very end of the process.
void SpeakUtf16WithConsoles() {
  if (const HANDLE in = GetStdHandle(STD_INPUT_HANDLE); IsConsole(in)) std::cin.rdbuf(new ConsoleInputBuffer(in));
  if (const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE); IsConsole(out)) {
    std::cout.rdbuf(new ConsoleOutputBuffer(out));
  }
  if (const HANDLE err = GetStdHandle(STD_ERROR_HANDLE); IsConsole(err)) {
    std::cerr.rdbuf(new ConsoleOutputBuffer(err));
  }
}

}  // namespace

void GuardStandardStreams() {
  FILE* const streams[] = {stdin, stdout, stderr};
  for (int fd = 0; fd <= 2; ++fd) {
    // -2: the program was started without this stream at all.
    if (_get_osfhandle(fd) >= 0) continue;
    if (std::freopen("NUL", fd == 0 ? "r" : "w", streams[fd]) == nullptr) continue;
  }
}

// The arguments come from the UTF-16 command line.
std::vector<std::string> Arguments(int, char**) {
  SpeakUtf16WithConsoles();
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; wide != nullptr && i < count; ++i) arguments.push_back(WideToUtf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

void BinaryOutput() {
  std::cout.flush();
  _setmode(_fileno(stdout), _O_BINARY);
}

bool IsTerminal(Stream stream) { return IsConsole(GetStdHandle(StandardHandleOf(stream))); }

int Columns(Stream stream) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!GetConsoleScreenBufferInfo(GetStdHandle(StandardHandleOf(stream)), &info)) return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

void CatchInterrupts(const char* message, int exitStatus) {
  interruptMessage = message;
  interruptStatus = exitStatus;
  SetConsoleCtrlHandler(OnInterrupt, TRUE);
}

bool DeferInterrupts(bool deferred) {
  const bool before = interruptsDeferred.exchange(deferred);
  if (!deferred && interruptNoted) EndInterrupted();
  return before;
}

bool InterruptNoted() { return interruptNoted; }

// Windows has no call that writes back every file of an ordinary user; the
// files the run closed go to the device as the system's cache decides.
void EndInterrupted() {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  WriteAndExit();
}

}  // namespace pb::console
