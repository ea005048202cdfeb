// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cctype>
#include <ostream>

#include "commands.h"
#include "native_names.h"
#include "platform/drive_table.h"
#include "support/run_time_error.h"
#include "terminal_text.h"

namespace pb::cli {

namespace {

bool LooksLikeDriveForm(const std::string& arg) {
  return arg.size() >= 2 && std::isalpha(static_cast<unsigned char>(arg[0])) && arg[1] == ':' &&
         (arg.size() == 2 || arg[2] == '\\');
}

#ifdef _WIN32
bool Translates(FileSystem& fs, const std::string& drivePath) {
  try {
    fs.ToNative(drivePath);
    return true;
  } catch (const RunTimeError&) {
    return false;
  }
}
#endif

// A directory the run is given gets its drive of the run while it is still
// missing too: a destination is made where the run writes its first file.
std::string DrivePath(FileSystem& fs, const std::string& arg, bool directory) {
  const auto forRun = [&](const std::string& path) {
    return directory ? fs.ToDriveFormForRunDirectory(path) : fs.ToDriveFormForRun(path);
  };
  // Written out, "..", "." and doubled or trailing separators mean what they
  // mean in a relative path: a file given as "D:\leer\" is stored as "leer".
  if (LooksLikeDriveForm(arg)) {
    const std::string normal = NormalDrivePath(arg);
#ifdef _WIN32
    // There a drive path is the system's own too: one whose directories the
    // drive form cannot hold goes by a drive of the run, where that names it.
    if (!Translates(fs, normal)) {
      try {
        if (std::string run = forRun(normal); Translates(fs, run)) return run;
      } catch (const RunTimeError&) {
        // On no drive: refused later as the drive path it was given as.
      }
    }
#endif
    return normal;
  }
  // The file system makes the path absolute from UTF-8 (which Windows' narrow
  // strings are not) and drops a trailing separator. Only the names a set
  // stores need a drive form; a directory above them without one gets a
  // drive of the run.
  return forRun(arg);
}

}  // namespace

std::string DrivePathFromArgument(FileSystem& fs, const std::string& arg) { return DrivePath(fs, arg, false); }

std::string ShownPath(FileSystem& fs, const std::string& drivePath) { return PathDisplay(fs)(drivePath); }

std::string PathDisplay::operator()(const std::string& drivePath) {
  try {
    return fs_.ToNative(drivePath);
  } catch (const RunTimeError&) {
    // The directory may still have a native name; the drive form stays only
    // where it has none, so a line never mixes the two.
  }
  const std::size_t slash = drivePath.rfind('\\');
  if (slash == std::string::npos || slash < 2 || slash + 1 == drivePath.size()) return drivePath;
  std::string directory;
  try {
    directory = fs_.ToNative(drivePath.substr(0, std::max<std::size_t>(slash, 3)));
  } catch (const RunTimeError&) {
    return drivePath;
  }
  const std::string name = drivePath.substr(slash + 1);
  const std::vector<std::string> alike = NativeNamesShownAs(directory, name);
  const std::size_t seen = shown_[drivePath]++;
  if (directory.back() != kNativeSeparator) directory += kNativeSeparator;
  return directory + (seen < alike.size() ? ShownNativeName(alike[seen]) : name);
}

std::string ShownArgument(const std::string& arg) { return arg.empty() ? "\"\"" : TerminalSafe(arg); }

std::optional<std::string> DirectoryArgument(CliContext& context, const std::string& arg) {
  try {
    return DrivePath(context.runtime.fs, arg, true);
  } catch (const RunTimeError& error) {
    context.err << "parcelbarge-cli: " << ShownArgument(arg) << ": " << error.description() << "\n";
    return std::nullopt;
  }
}

bool HoldsOtherThanDirectory(FileSystem& fs, const std::string& drivePath) {
  try {
    return (fs.GetAttributes(drivePath) & kAttrDirectory) == 0;
  } catch (const RunTimeError&) {
    // Nothing there, or nothing to tell yet: the run makes or reports it.
    return false;
  }
}

}  // namespace pb::cli
