// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/wide_text.h"
#include "support/paths.h"

#include "platform/windows/windows_api.h"

namespace pb {

std::string AppDirectory(FileSystem& fs) {
  std::wstring exe(MAX_PATH, L'\0');
  DWORD length = 0;
  // The name is cut to the buffer, without an error, when it does not fit.
  while ((length = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()))) == exe.size()) {
    exe.resize(exe.size() * 2);
  }
  exe.resize(length);
  return WithTrailingBackslash(fs.ToDriveForm(WideToUtf8(exe.substr(0, exe.find_last_of(L'\\')))));
}

}  // namespace pb
