// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>

namespace pb::testing {

// A fresh empty directory below the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// A native path from UTF-8 text, as the runtime layer gives paths on every
// platform (Windows would read a narrow string in its ANSI code page).
std::filesystem::path NativePath(const std::string& utf8);
// A path as UTF-8 text with "/" between its parts, on every platform.
std::string GenericUtf8(const std::filesystem::path& path);
// Takes the owner's write permission away (the read-only attribute on Windows).
void MakeReadOnly(const std::filesystem::path& path);

// Whether this system lets a test make links that its file system then sees as
// links (Wine makes none that it shows as such); why not when it cannot.
bool CanPlantLinks(std::string* reason = nullptr);
// Makes link a symbolic link to target (relative to link's directory, "/"
// between its parts); a directory link when the target is a directory.
void PlantLink(const std::string& target, const std::filesystem::path& link);

// Writes bytes to a native file, creating its directories.
void WriteFile(const std::filesystem::path& file, const std::string& bytes);
// Reads a whole native file.
std::string ReadFile(const std::filesystem::path& file);
// Text as one word for the POSIX shell, whatever quotes it holds.
std::string ShellQuoted(const std::string& text);
// Bytes 0..n-1 of a reproducible pseudo-random sequence.
std::string RandomBytes(std::size_t n, unsigned seed);

}  // namespace pb::testing
