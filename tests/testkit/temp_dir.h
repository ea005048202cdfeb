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

// Writes bytes to a native file, creating its directories.
void WriteFile(const std::filesystem::path& file, const std::string& bytes);
// Reads a whole native file.
std::string ReadFile(const std::filesystem::path& file);
// Bytes 0..n-1 of a reproducible pseudo-random sequence.
std::string RandomBytes(std::size_t n, unsigned seed);

}  // namespace pb::testing
