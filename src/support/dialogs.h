// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "support/message_boxes.h"
#include "support/run_time_error.h"
#include "support/runtime.h"

namespace pb {

// Asks "Wollen Sie den Vorgang wirklich abbrechen?" (Yes/No, No the default);
// true on Yes.
bool ConfirmCancel(MessageBoxes& boxes);

// Reports an error no handler deals with, naming the location ("PUT",
// "RESTORE"), then ends the program with kExitFatal.
[[noreturn]] void ReportFatalError(Runtime& runtime, const std::string& location, const RunTimeError& error);

}  // namespace pb
