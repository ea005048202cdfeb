// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/console.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace pb::console {

namespace {

volatile std::sig_atomic_t interruptNoted = 0;
volatile std::sig_atomic_t interruptsDeferred = 0;
const char* interruptMessage = "";
int interruptStatus = 130;

// Only async-signal-safe calls here.
[[noreturn]] void WriteAndExit() {
  const std::size_t length = std::strlen(interruptMessage);
  if (write(STDERR_FILENO, interruptMessage, length) < 0) {
    // Nothing more can be told.
  }
  _exit(interruptStatus);
}

void OnInterrupt(int) {
  interruptNoted = 1;
  if (!interruptsDeferred) WriteAndExit();
}

}  // namespace

void GuardStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1) continue;
    // open returns the lowest free descriptor: this very one.
    const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened != fd && opened >= 0) close(opened);
  }
}

std::vector<std::string> Arguments(int argc, char** argv) { return {argv + 1, argv + argc}; }

void BinaryOutput() {}

bool IsTerminal(Stream stream) {
  switch (stream) {
    case Stream::In: return isatty(STDIN_FILENO) == 1;
    case Stream::Out: return isatty(STDOUT_FILENO) == 1;
    case Stream::Err: break;
  }
  return isatty(STDERR_FILENO) == 1;
}

int Columns(Stream stream) {
  const int descriptor = stream == Stream::Out ? STDOUT_FILENO : stream == Stream::In ? STDIN_FILENO : STDERR_FILENO;
  winsize size{};
  return ioctl(descriptor, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

void CatchInterrupts(const char* message, int exitStatus) {
  interruptMessage = message;
  interruptStatus = exitStatus;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool DeferInterrupts(bool deferred) {
  const bool before = interruptsDeferred != 0;
  interruptsDeferred = deferred ? 1 : 0;
  if (!deferred && interruptNoted) EndInterrupted();
  return before;
}

bool InterruptNoted() { return interruptNoted != 0; }

void EndInterrupted() {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  // A medium is about to be taken out.
  sync();
  WriteAndExit();
}

}  // namespace pb::console
