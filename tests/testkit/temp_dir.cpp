// SPDX-License-Identifier: GPL-3.0-or-later
#include "temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#endif

namespace pb::testing {

TempDir::TempDir() {
  // A fresh name on every system, Windows included (no mkdtemp there).
  static std::mt19937_64 names{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path candidate =
        std::filesystem::temp_directory_path() / ("pbtest-" + std::to_string(names() % 1000000000000));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("no fresh temporary directory");
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Read-only files and directories left by a test must not stop the cleanup.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
  }
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path NativePath(const std::string& utf8) {
#ifdef _WIN32
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
#else
  return utf8;
#endif
}

std::string GenericUtf8(const std::filesystem::path& path) {
  const std::u8string utf8 = path.generic_u8string();
  return std::string(utf8.begin(), utf8.end());
}

void MakeReadOnly(const std::filesystem::path& path) {
  std::filesystem::permissions(path, std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
}

#ifdef _WIN32
void PlantLink(const std::string& target, const std::filesystem::path& link) {
  std::wstring wideTarget = NativePath(target).make_preferred().wstring();
  const bool directory = std::filesystem::is_directory(link.parent_path() / wideTarget);
  const DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE | (directory ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0);
  if (!CreateSymbolicLinkW(link.c_str(), wideTarget.c_str(), flags)) throw std::runtime_error("no link");
}

bool CanPlantLinks(std::string* reason) {
  static const bool can = [] {
    const TempDir dir;
    WriteFile(dir / "ziel", "z");
    try {
      PlantLink("ziel", dir / "link");
    } catch (const std::runtime_error&) {
      return false;
    }
    const DWORD attributes = GetFileAttributesW((dir / "link").c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  }();
  if (!can && reason != nullptr) *reason = "this Windows (or Wine) makes no symbolic links it shows as links";
  return can;
}
#else
void PlantLink(const std::string& target, const std::filesystem::path& link) {
  std::filesystem::create_symlink(target, link);
}

bool CanPlantLinks(std::string*) { return true; }
#endif

void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 engine(seed);
  std::string bytes(n, '\0');
  for (auto& b : bytes) b = static_cast<char>(engine() & 0xFF);
  return bytes;
}

}  // namespace pb::testing
