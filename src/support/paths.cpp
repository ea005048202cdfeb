#include "support/paths.h"

#include <filesystem>

namespace pb {

std::string WithTrailingBackslash(const std::string& path) {
  if (!path.empty() && path.back() == '\\') return path;
  return path + "\\";
}

std::string AppDirectory(FileSystem& fs) {
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
  return WithTrailingBackslash(fs.ToDriveForm(exe.parent_path().string()));
}

}  // namespace pb
