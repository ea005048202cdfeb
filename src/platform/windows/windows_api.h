// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The Windows API for the .cpp files of this folder; include it after every
// header of the program. Its macros of the same name as calls of the runtime
// contract (DeleteFile, CreateDirectory, ...) are taken back, so those calls
// keep their names; the API is called by its W names.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef CreateDirectory
#undef DeleteFile
#undef GetCurrentDirectory
#undef MessageBox
