// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/create_target_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "faulty_file_system.h"
#include "support/run_time_error.h"
#include "test_drives.h"

namespace pb {
namespace {

using testing::Fault;
using testing::Op;

// Every entry below root, relative, a directory with "/" after its name.
std::vector<std::string> EntriesBelow(const std::filesystem::path& root) {
  std::vector<std::string> entries;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    const bool directory = entry.is_directory() && !entry.is_symlink();
    entries.push_back(testing::GenericUtf8(std::filesystem::relative(entry.path(), root)) + (directory ? "/" : ""));
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

// Directories are made from the top down to the file, and the first failure,
// a look or a creation, ends it with its code whatever already exists.
TEST(CreateTargetFileTest, MakesWhatIsMissingAndStopsAtTheFirstFailure) {
  using Entries = std::vector<std::string>;
  const struct {
    const char* what;
    std::function<void(const std::filesystem::path&)> before;  // given C's native root
    const char* path;
    std::vector<Fault> faults;
    int32_t code;
    Entries after;  // below C:\ (the run's target is C:\Rueck)
    bool link = false;
  } rows[] = {
      {"every directory there", [](auto& c) { std::filesystem::create_directories(c / "Rueck/a/b"); },
       "C:\\Rueck\\a\\b\\x.txt", {}, 0, Entries{"Rueck/", "Rueck/a/", "Rueck/a/b/", "Rueck/a/b/x.txt"}},
      {"missing below the target", [](auto& c) { std::filesystem::create_directories(c / "Rueck/a"); },
       "C:\\Rueck\\a\\b\\c\\x.txt", {}, 0,
       Entries{"Rueck/", "Rueck/a/", "Rueck/a/b/", "Rueck/a/b/c/", "Rueck/a/b/c/x.txt"}},
      {"the target itself missing", [](auto&) {}, "C:\\Rueck\\x.txt", {}, 0, Entries{"Rueck/", "Rueck/x.txt"}},
      {"the second directory made fails", [](auto& c) { std::filesystem::create_directories(c / "Rueck"); },
       "C:\\Rueck\\a\\b\\c\\x.txt", {Fault{Op::CreateDirectory, 2, kMediumFull, ""}}, kMediumFull,
       Entries{"Rueck/", "Rueck/a/"}},
      {"a look on the way fails", [](auto& c) { std::filesystem::create_directories(c / "Rueck"); },
       "C:\\Rueck\\a\\b\\c\\x.txt", {Fault{Op::FindEntry, 1, kPermissionDenied, "\\b", true}}, kPermissionDenied,
       Entries{"Rueck/", "Rueck/a/"}},
      {"the drive's root cannot be looked at", [](auto&) {}, "C:\\Rueck\\x.txt",
       {Fault{Op::FindEntry, 1, kDriveNotReady, "C:", true}}, kDriveNotReady, Entries{}},
      {"a file in the way", [](auto& c) { testing::WriteFile(c / "Rueck/a", "a"); }, "C:\\Rueck\\a\\b\\x.txt", {},
       kPathNotFound, Entries{"Rueck/", "Rueck/a"}},
      {"a file in the place of the file's directory", [](auto& c) { testing::WriteFile(c / "Rueck/a/b", "b"); },
       "C:\\Rueck\\a\\b\\x.txt", {}, kPathNotFound, Entries{"Rueck/", "Rueck/a/", "Rueck/a/b"}},
      {"a link without target in the way",
       [](auto& c) {
         std::filesystem::create_directories(c / "Rueck");
         testing::PlantLink("nirgends", c / "Rueck/a");
       },
       "C:\\Rueck\\a\\b\\x.txt", {}, kPathFileAccess, Entries{"Rueck/", "Rueck/a"}, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.link && !testing::CanPlantLinks()) continue;
    testing::TestDrives drives;
    row.before(drives.Root('C'));
    testing::FaultyFileSystem fs(drives.fs());
    for (const Fault& fault : row.faults) fs.Fail(fault);
    fs.SetWriteDirectory("C:\\Rueck\\");
    EXPECT_EQ(CreateTargetFile(fs, row.path), row.code);
    EXPECT_EQ(EntriesBelow(drives.Root('C')), row.after);
  }
}

// What stands in the way is named in words, not only by its code.
TEST(CreateTargetFileTest, FailuresAreGivenAReason) {
  const struct {
    const char* what;
    std::function<void(const std::filesystem::path&)> before;  // given C:\Rueck's native path
    const char* path;
    bool replace;  // a regular file lies there
    const char* reason;
    bool link = false;
  } rows[] = {
      {"a read-only file", [](auto& r) { testing::WriteFile(r / "x.txt", "x"); testing::MakeReadOnly(r / "x.txt"); },
       "C:\\Rueck\\x.txt", true, "Die vorhandene Datei ist schreibgeschützt."},
      {"a directory", [](auto& r) { std::filesystem::create_directories(r / "x.txt"); }, "C:\\Rueck\\x.txt", false,
       "An ihrer Stelle steht ein Verzeichnis."},
      {"a file for a directory", [](auto& r) { testing::WriteFile(r / "a", "a"); }, "C:\\Rueck\\a\\x.txt", false,
       "Ein Teil des Pfads ist kein Verzeichnis."},
      {"a name the system refuses", [](auto&) {}, "C:\\Rueck\\a\\x:y", false,
       "Das System lässt diesen Namen nicht zu."},
      {"a link", [](auto& r) { testing::WriteFile(r / "ziel", "z"); testing::PlantLink("ziel", r / "x.txt"); },
       "C:\\Rueck\\x.txt", false, "Eine Verknüpfung steht im Weg.", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.link && !testing::CanPlantLinks()) continue;
    testing::TestDrives drives;
    std::filesystem::create_directories(drives.Root('C') / "Rueck");
    row.before(drives.Root('C') / "Rueck");
    drives.fs().SetWriteDirectory("C:\\Rueck\\");
    const int32_t code = CreateTargetFile(drives.fs(), row.path, row.replace);
    ASSERT_NE(code, 0);
    EXPECT_EQ(TargetFailureReason(drives.fs(), row.path, code), row.reason);
  }
}

}  // namespace
}  // namespace pb
