// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace pb::console {

// What the command-line tool needs of the console it runs in; each platform
// implements it.

// Opens standard input, output and error on the null device where one is
// closed, so that no file opened later takes its place.
void GuardStandardStreams();

// The arguments after the program's name, in UTF-8 (Windows hands argv over
// in its ANSI code page). On Windows the standard streams that are a console
// take and show UTF-8 text from now on, whatever the console's code page,
// which is left as it is.
std::vector<std::string> Arguments(int argc, char** argv);

// From now on standard output takes bytes as they are: Windows would turn
// each line feed of a restored file into two bytes.
void BinaryOutput();

enum class Stream { In, Out, Err };
bool IsTerminal(Stream stream);
// The width in columns of the terminal stream shows on; 0 when it is none or
// does not say.
int Columns(Stream stream);

// From now on an interrupt (Ctrl+C, SIGINT, SIGTERM) writes message to
// standard error and ends the process with exitStatus at once; what was
// written to files so far stays. message must outlive the process.
void CatchInterrupts(const char* message, int exitStatus);

// While deferred, an interrupt is only noted, so the program can stop at a
// point of its own choosing. Ending the deferral with an interrupt noted ends
// the process as above. Returns whether they were deferred before.
bool DeferInterrupts(bool deferred);
bool InterruptNoted();

// Puts what was written on the devices, writes the message and ends the
// process with the status given to CatchInterrupts; the caller has closed its
// files.
[[noreturn]] void EndInterrupted();

}  // namespace pb::console
