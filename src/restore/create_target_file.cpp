// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/create_target_file.h"

#include <vector>

#include "support/run_time_error.h"

namespace pb {

namespace {

// FileName is UTF-8, so a character may take several bytes.
std::string WithoutFirstCharacters(const std::string& utf8, int count) {
  std::size_t pos = 0;
  for (int i = 0; i < count && pos < utf8.size(); ++i) {
    ++pos;
    while (pos < utf8.size() && (static_cast<unsigned char>(utf8[pos]) & 0xC0) == 0x80) ++pos;
  }
  return utf8.substr(pos);
}

// A path ending in "\" names a directory, even where the system would take
// it for a file.
bool NamesAFile(const std::string& Path) { return !Path.empty() && Path.back() != '\\'; }

bool Exists(FileSystem& fs, const std::string& path) {
  try {
    return !fs.FindEntry(path, kMaskAll).empty();
  } catch (const RunTimeError&) {
    return false;
  }
}

}  // namespace

std::string TargetPathFor(const std::string& targetDir, const std::string& FileName) {
  return targetDir + WithoutFirstCharacters(FileName, 3);
}

int32_t CreateTargetFile(FileSystem& fs, const std::string& Path, bool replace, std::optional<FileNumber>* opened) {
  // A name the file system refuses leaves no directories behind.
  if (!NamesAFile(Path)) return kBadFileNameOrNumber;
  try {
    fs.ToNative(Path);
  } catch (const RunTimeError& error) {
    return error.code();
  }
  std::vector<std::string> directories;  // from the drive root down
  for (std::size_t p = Path.find('\\'); p != std::string::npos; p = Path.find('\\', p + 1)) {
    directories.push_back(Path.substr(0, p));
  }
  // The file's own directory almost always exists already, and then so does
  // everything above it: look from there upwards. A look that fails is made
  // again on the way down, where it fails as it would from the top.
  std::size_t first = directories.size();
  while (first > 0 && !Exists(fs, directories[first - 1])) --first;
  try {
    for (std::size_t i = first; i < directories.size(); ++i) {
      if (fs.FindEntry(directories[i], kMaskAll).empty()) fs.CreateDirectory(directories[i]);
    }
    // A new file takes the old one's place: writing into it would also
    // change every other name it has.
    if (replace) fs.DeleteFile(Path);
    const FileNumber file = fs.Open(Path, OpenMode::Output);
    if (opened) {
      *opened = file;
    } else {
      fs.Close(file);
    }
    return 0;
  } catch (const RunTimeError& error) {
    return error.code();
  }
}

std::optional<FileNumber> CreateNewTargetFile(FileSystem& fs, const std::string& Path) {
  if (!NamesAFile(Path)) return std::nullopt;
  try {
    return fs.Open(Path, OpenMode::NewOutput);
  } catch (const RunTimeError&) {
    return std::nullopt;
  }
}

std::string TargetFailureReason(FileSystem& fs, const std::string& Path, int32_t code) {
  switch (code) {
    case kBadFileNameOrNumber: return "Das System lässt diesen Namen nicht zu.";
    case kPathNotFound: return "Ein Teil des Pfads ist kein Verzeichnis.";
    case kPermissionDenied: return "Zugriff verweigert: keine Schreibrechte, oder der Datenträger ist schreibgeschützt.";
    case kPathFileAccess: break;
    default: return ErrorDescription(code);
  }
  int attributes = 0;
  try {
    attributes = fs.GetAttributes(Path);
  } catch (const RunTimeError&) {
    return "Eine Verknüpfung steht im Weg.";
  }
  if ((attributes & kAttrDirectory) != 0) return "An ihrer Stelle steht ein Verzeichnis.";
  if ((attributes & kAttrReadOnly) != 0) return "Die vorhandene Datei ist schreibgeschützt.";
  return "Eine Verknüpfung steht im Weg.";
}

}  // namespace pb
