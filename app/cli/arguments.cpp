// SPDX-License-Identifier: GPL-3.0-or-later
#include "arguments.h"

#include <cctype>
#include <filesystem>
#include <ostream>

namespace pb::cli {

namespace {

bool LooksLikeDriveForm(const std::string& arg) {
  return arg.size() >= 2 && std::isalpha(static_cast<unsigned char>(arg[0])) && arg[1] == ':' &&
         (arg.size() == 2 || arg[2] == '\\');
}

}  // namespace

std::string DrivePathFromArgument(FileSystem& fs, const std::string& arg) {
  if (LooksLikeDriveForm(arg)) {
    std::string drivePath = arg;
    drivePath[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(drivePath[0])));
    return drivePath;
  }
  std::filesystem::path native = std::filesystem::absolute(arg).lexically_normal();
  if (!native.has_filename() && native != native.root_path()) native = native.parent_path();
  return fs.ToDriveForm(native.string());
}

void PrintUsage(std::ostream& out) {
  out << "Aufruf:\n"
         "  parcelbarge-cli backup [--volume-size GRÖSSE] [--clear-target] [--description TEXT] [--workers N]\n"
         "                         ZIEL QUELLE...\n"
         "  parcelbarge-cli probe QUELLVERZEICHNIS\n"
         "  parcelbarge-cli restore QUELLVERZEICHNIS ZIELVERZEICHNIS\n"
         "  parcelbarge-cli list QUELLVERZEICHNIS\n"
         "  parcelbarge-cli test QUELLVERZEICHNIS\n"
         "  parcelbarge-cli --help | --version\n"
         "GRÖSSE ist eine Zahl mit der Einheit K oder M (1423K, 1.5M); ZIEL ist ein Verzeichnis oder A:.\n"
         "N ist die Zahl der Kompressions-Threads, 1 bis 64 (Vorgabe: einer je Prozessorkern, höchstens 16; 1 ohne Threads).\n";
}

void PrintVersion(std::ostream& out) { out << "parcelbarge-cli " PB_VERSION "\n"; }

}  // namespace pb::cli
