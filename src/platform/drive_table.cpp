// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/drive_table.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "support/run_time_error.h"

namespace pb {

namespace {

// Code points of the 0x80-0x9F row of Windows-1252 that hold printable
// characters; the rest of the code page is Latin-1.
constexpr char32_t kCp1252HighRow[] = {
    0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x017D,
    0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x017E,
    0x0178,
};

bool IsNameCharacter(char32_t c) {
  if (c < 0x20 || c == 0x7F) return false;
  if (c < 0x7F) return std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) == std::string_view::npos;
  if (c >= 0xA0 && c <= 0xFF) return true;
  return std::find(std::begin(kCp1252HighRow), std::end(kCp1252HighRow), c) != std::end(kCp1252HighRow);
}

// Decodes the UTF-8 character at text[pos]; its byte length goes to length.
// Invalid or overlong sequences decode as one byte that is no character.
char32_t DecodeAt(std::string_view text, std::size_t pos, std::size_t& length) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  length = 1;
  std::size_t extra = 0;
  char32_t c = 0;
  char32_t minimum = 0;
  if (lead < 0x80) return lead;
  if ((lead & 0xE0) == 0xC0) extra = 1, c = lead & 0x1F, minimum = 0x80;
  else if ((lead & 0xF0) == 0xE0) extra = 2, c = lead & 0x0F, minimum = 0x800;
  else if ((lead & 0xF8) == 0xF0) extra = 3, c = lead & 0x07, minimum = 0x10000;
  else return 0;
  if (pos + extra >= text.size()) return 0;
  for (std::size_t i = 1; i <= extra; ++i) {
    if ((byte(pos + i) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (byte(pos + i) & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  length = extra + 1;
  return c;
}

#ifdef _WIN32
// Names Windows takes for devices in every directory, with any extension.
bool IsDeviceName(std::string_view name) {
  std::string stem(name.substr(0, name.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char& c : stem) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" || stem == "CONOUT$") {
    return true;
  }
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) && stem[3] >= '0' && stem[3] <= '9';
}
#endif

// The longest name a directory holds: in bytes on POSIX systems, in UTF-16
// units on Windows, one for each character a stored name can have.
bool IsShortEnough(std::string_view name) {
#ifdef _WIN32
  const auto characters = std::count_if(name.begin(), name.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  });
  return characters <= 255;
#else
  return name.size() <= NAME_MAX;
#endif
}

// The longest path the system takes: in bytes with its end on POSIX
// systems, in UTF-16 units on Windows, where long paths are passed whole.
bool IsShortEnoughPath(std::string_view path) {
#ifdef _WIN32
  std::size_t units = 0;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    // A character beyond the basic plane, four bytes in UTF-8, takes two.
    units += (byte & 0xC0) == 0x80 ? 0 : byte >= 0xF0 ? 2 : 1;
  }
  return units < 32767;
#else
  return path.size() < PATH_MAX;
#endif
}

bool IsRepresentableComponent(std::string_view name) {
  if (name.empty() || name == "." || name == ".." || !IsShortEnough(name)) return false;
#ifdef _WIN32
  // Windows would open a device, or silently drop the trailing dot or space.
  if (IsDeviceName(name) || name.back() == '.' || name.back() == ' ') return false;
#endif
  return IsRepresentableName(std::string(name));
}

// A root that is a whole file system ("/", "C:\") keeps its separator.
bool IsTopRoot(const std::string& root) { return !root.empty() && root.back() == kNativeSeparator; }

bool SameNativeText(std::string_view a, std::string_view b) {
  return NameComparisonForm(std::string(a)) == NameComparisonForm(std::string(b));
}


#ifdef _WIN32
constexpr std::string_view kDriveFormSeparators = "\\/";

// Windows drops them from the names it is given; a name of dots alone stays,
// to be refused.
std::string_view TrimmedAsWindowsDoes(std::string_view name) {
  const std::size_t end = name.find_last_not_of(". ");
  return end == std::string_view::npos ? name : name.substr(0, end + 1);
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Paths that start with two separators lie on no drive: a network share or
// a name in the system's own name space.
void RefuseDrivelessPath(const std::string& path) {
  if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return;
  if (path.size() >= 4 && (path[2] == '?' || path[2] == '.') && IsSeparator(path[3])) {
    throw RunTimeError(kBadFileNameOrNumber,
                       "Pfade der Form \\\\?\\ und \\\\.\\ werden nicht unterstützt; bitte den Pfad mit "
                       "Laufwerksbuchstaben angeben");
  }
  throw RunTimeError(kBadFileNameOrNumber,
                     "Netzwerkpfade (\\\\Rechner\\Freigabe) werden nicht unterstützt; bitte die Freigabe als "
                     "Laufwerk verbinden");
}

// Upper and lower case of the code page's letters as one.
char32_t FoldedCase(char32_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
  if (c == 0x152 || c == 0x160 || c == 0x17D) return c + 1;
  return c == 0x178 ? 0xFF : c;
}
#else
constexpr std::string_view kDriveFormSeparators = "\\";

std::string_view TrimmedAsWindowsDoes(std::string_view name) { return name; }
#endif

// The absolute, normalised form of a native path, without a trailing
// separator unless it is a top root.
std::string AbsoluteNative(const std::string& nativePath) {
  // An empty path names nothing; a relative one after the working directory
  // was removed has nothing to start from.
  if (nativePath.empty()) throw RunTimeError(kBadFileNameOrNumber);
#ifdef _WIN32
  RefuseDrivelessPath(nativePath);
#endif
#ifdef _WIN32
  // Native paths are UTF-8 here; Windows' narrow code page is not.
  const std::filesystem::path given(std::u8string(nativePath.begin(), nativePath.end()));
#else
  const std::filesystem::path given(nativePath);
#endif
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(given, error);
  if (error) throw RunTimeError(kPathNotFound);
#ifdef _WIN32
  const std::u8string normal = absolute.lexically_normal().u8string();
  std::string path(normal.begin(), normal.end());
  RefuseDrivelessPath(path);
  if (path.size() >= 3 && path[1] == ':') return NormalDrivePath(path);
#else
  std::string path = absolute.lexically_normal().string();
#endif
  if (path.size() > 1 && path.back() == kNativeSeparator && !(path.size() == 3 && path[1] == ':')) path.pop_back();
  return path;
}

}  // namespace

bool IsRepresentableName(const std::string& utf8Name) {
  for (std::size_t pos = 0, length = 0; pos < utf8Name.size(); pos += length) {
    if (!IsNameCharacter(DecodeAt(utf8Name, pos, length))) return false;
  }
  return true;
}

std::string DriveFormName(const std::string& nativeName) {
  std::string result;
  for (std::size_t pos = 0, length = 0; pos < nativeName.size(); pos += length) {
    if (IsNameCharacter(DecodeAt(nativeName, pos, length))) {
      result.append(nativeName, pos, length);
    } else {
      result += '?';
    }
  }
  return result;
}

std::string NormalDrivePath(const std::string& drivePath) {
  std::string result{static_cast<char>(std::toupper(static_cast<unsigned char>(drivePath[0]))), ':'};
  if (drivePath.size() <= 2) return result;
  std::vector<std::string_view> steps;
  for (std::string_view rest = std::string_view(drivePath).substr(3);;) {
    const std::size_t end = rest.find_first_of(kDriveFormSeparators);
    const std::string_view step = TrimmedAsWindowsDoes(rest.substr(0, end));
    if (step == "..") {
      if (!steps.empty()) steps.pop_back();
    } else if (!step.empty() && step != ".") {
      steps.push_back(step);
    }
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  result += '\\';
  for (std::size_t i = 0; i < steps.size(); ++i) {
    if (i > 0) result += '\\';
    result += steps[i];
  }
  return result;
}

std::string NameComparisonForm(std::string utf8Name) {
#ifdef _WIN32
  // Each letter and its other case take the same number of bytes: one below
  // 0x80, two above.
  for (std::size_t pos = 0, length = 0; pos < utf8Name.size(); pos += length) {
    const char32_t c = DecodeAt(utf8Name, pos, length);
    const char32_t folded = FoldedCase(c);
    if (folded == c) continue;
    if (length == 1) {
      utf8Name[pos] = static_cast<char>(folded);
    } else {
      utf8Name[pos] = static_cast<char>(0xC0 | (folded >> 6));
      utf8Name[pos + 1] = static_cast<char>(0x80 | (folded & 0x3F));
    }
  }
#endif
  return utf8Name;
}

bool NativeContains(const std::string& directory, const std::string& path) {
  if (path.size() < directory.size() || !SameNativeText(std::string_view(path).substr(0, directory.size()), directory)) {
    return false;
  }
  return IsTopRoot(directory) || path.size() == directory.size() || path[directory.size()] == kNativeSeparator;
}

bool ListedBefore(const std::string& a, const std::string& b) {
  const auto folded = [](std::string name) {
    for (char& c : name) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
  };
  const std::string foldedA = folded(a);
  const std::string foldedB = folded(b);
  return foldedA != foldedB ? foldedA < foldedB : a < b;
}

DriveTable::DriveTable(std::vector<Drive> drives) : drives_(std::move(drives)) {
  for (auto& drive : drives_) {
    drive.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(drive.letter)));
    while (drive.root.size() > 1 && drive.root.back() == kNativeSeparator &&
           drive.root[drive.root.size() - 2] != ':') {
      drive.root.pop_back();
    }
  }
}

const Drive* DriveTable::Find(char letter) const {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  for (const auto& drive : drives_) {
    if (drive.letter == upper) return &drive;
  }
  return nullptr;
}

std::string DriveTable::ToNative(const std::string& drivePath) const {
  if (drivePath.size() < 2 || drivePath[1] != ':') throw RunTimeError(kBadFileNameOrNumber);
  const Drive* drive = Find(drivePath[0]);
  if (drive == nullptr) throw RunTimeError(kBadFileNameOrNumber);
  std::string_view rest = std::string_view(drivePath).substr(2);
  if (rest.empty() || rest == "\\") return drive->root;
  // A path relative to the drive's current directory has no meaning here.
  if (rest.front() != '\\') throw RunTimeError(kBadFileNameOrNumber);
  rest.remove_prefix(1);
  if (rest.back() == '\\') rest.remove_suffix(1);

  std::string native = IsTopRoot(drive->root) ? drive->root.substr(0, drive->root.size() - 1) : drive->root;
  while (true) {
    const std::size_t end = rest.find('\\');
    const std::string_view component = rest.substr(0, end);
    if (!IsRepresentableComponent(component)) throw RunTimeError(kBadFileNameOrNumber);
    native += kNativeSeparator;
    native += component;
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  if (!IsShortEnoughPath(native)) throw RunTimeError(kBadFileNameOrNumber);
  return native;
}

const Drive& DriveTable::Holder(const std::string& absolute) const {
  const Drive* best = nullptr;
  for (const auto& drive : drives_) {
    if (NativeContains(drive.root, absolute) && (best == nullptr || drive.root.size() > best->root.size())) {
      best = &drive;
    }
  }
  if (best == nullptr) throw RunTimeError(kPathNotFound);
  return *best;
}

std::string DriveTable::ToDriveForm(const std::string& nativePath) const {
  const std::string trimmed = AbsoluteNative(nativePath);
  const Drive* best = &Holder(trimmed);

  std::string result = std::string(1, best->letter) + ":\\";
  std::string_view rest = std::string_view(trimmed).substr(best->root.size());
  if (!rest.empty() && rest.front() == kNativeSeparator) rest.remove_prefix(1);
  bool first = true;
  while (!rest.empty()) {
    const std::size_t end = rest.find(kNativeSeparator);
    if (!first) result += '\\';
    result += DriveFormName(std::string(rest.substr(0, end)));
    first = false;
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return result;
}

std::string DriveTable::DeepestUnnamedPath(const std::string& nativePath) const {
  const std::string absolute = AbsoluteNative(nativePath);
  const Drive& holder = Holder(absolute);
  std::size_t end = 0;  // of the deepest unnamed step; 0 while there is none
  std::size_t start = holder.root.size() + (IsTopRoot(holder.root) ? 0 : 1);
  while (start < absolute.size()) {
    const std::size_t next = std::min(absolute.find(kNativeSeparator, start), absolute.size());
    if (!IsRepresentableComponent(std::string_view(absolute).substr(start, next - start))) end = next;
    start = next + 1;
  }
  return absolute.substr(0, end);
}

}  // namespace pb
