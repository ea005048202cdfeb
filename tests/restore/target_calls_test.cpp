// SPDX-License-Identifier: GPL-3.0-or-later
// What a restore costs its target in calls through the file system: in a
// fresh target a further file costs its open and, at the end, its stamp;
// looks around it would make many small files slow.
#include <map>

#include "../backup/backup_fixture.h"
#include "restore_fixture.h"

namespace pb {
namespace {

// Counts by kind the calls that name a path below the target.
class TargetCalls : public FileSystemWrapper {
 public:
  using FileSystemWrapper::FileSystemWrapper;

  std::string FindEntry(const std::string& path, int mask) override {
    Count("FindEntry", path);
    return FileSystemWrapper::FindEntry(path, mask);
  }
  std::vector<std::string> ListDirectory(const std::string& directory, int mask) override {
    Count("ListDirectory", directory);
    return FileSystemWrapper::ListDirectory(directory, mask);
  }
  std::string FileIdentity(const std::string& path) override {
    Count("FileIdentity", path);
    return FileSystemWrapper::FileIdentity(path);
  }
  int GetAttributes(const std::string& path) override {
    Count("GetAttributes", path);
    return FileSystemWrapper::GetAttributes(path);
  }
  FileStamp StampAt(const std::string& path) override {
    Count("StampAt", path);
    return FileSystemWrapper::StampAt(path);
  }
  void ApplyStamp(const std::string& path, const FileStamp& stamp) override {
    Count("ApplyStamp", path);
    FileSystemWrapper::ApplyStamp(path, stamp);
  }
  void DeleteFile(const std::string& path) override {
    Count("DeleteFile", path);
    FileSystemWrapper::DeleteFile(path);
  }
  void CreateDirectory(const std::string& path) override {
    Count("CreateDirectory", path);
    FileSystemWrapper::CreateDirectory(path);
  }
  FileNumber Open(const std::string& path, OpenMode mode) override {
    Count("Open", path);
    return FileSystemWrapper::Open(path, mode);
  }

  std::map<std::string, int> calls;

 private:
  void Count(const char* kind, const std::string& path) {
    if (path.rfind("C:\\Rueck", 0) == 0) ++calls[kind];
  }
};

class TargetCallsTest : public testing::RestoreTest {
 protected:
  // Backs up count files in each directory (below C:\Daten) and restores
  // them to a fresh C:\Rueck; the calls it made there.
  std::map<std::string, int> RestoreCalls(const std::vector<std::string>& directories, int count) {
    std::filesystem::remove_all(drives.Native("C:\\Daten"));
    std::filesystem::remove_all(SetDir());
    std::filesystem::remove_all(TargetDir());
    std::filesystem::create_directories(SetDir());
    BackupPlan plan = testing::TestPlan();
    for (const std::string& directory : directories) {
      for (int i = 0; i < count; ++i) {
        const std::string path = "C:\\Daten\\" + directory + "\\f" + std::to_string(i);
        testing::WriteFile(drives.Native(path), directory + std::to_string(i));
        plan.files.push_back(path);
      }
    }
    boxes.Then(BoxButton::Ok);
    Runtime runtime{drives.fs(), boxes, host};
    EXPECT_EQ(testing::RunPlan(runtime, plan), BackupOutcome::Complete);
    boxes = {};
    TargetCalls counting(drives.fs());
    EXPECT_EQ(Restore(counting), RestoreOutcome::Intact);
    EXPECT_TRUE(boxes.shown().empty());
    for (const std::string& file : plan.files) {
      EXPECT_TRUE(testing::FileIs(drives.Native("C:\\Rueck\\" + file.substr(3)), testing::ReadFile(drives.Native(file))))
          << file;
    }
    return counting.calls;
  }
};

// The same directories with more files in each: the calls beyond those of
// the fewer files are one open and one stamp per further file.
TEST_F(TargetCallsTest, AFurtherFileInAFreshTargetCostsItsOpenAndItsStamp) {
  const struct {
    const char* what;
    std::vector<std::string> directories;
  } rows[] = {
      {"one directory", {"a"}},
      {"directories side by side and below each other", {"a", "b", "b\\c\\d", "e\\f"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const std::map<std::string, int> fewer = RestoreCalls(row.directories, 2);
    const std::map<std::string, int> more = RestoreCalls(row.directories, 7);
    const int further = 5 * static_cast<int>(row.directories.size());
    std::map<std::string, int> extra;
    for (const auto& [kind, calls] : more) {
      const auto found = fewer.find(kind);
      if (calls != (found == fewer.end() ? 0 : found->second)) {
        extra[kind] = calls - (found == fewer.end() ? 0 : found->second);
      }
    }
    EXPECT_EQ(extra, (std::map<std::string, int>{{"ApplyStamp", further}, {"Open", further}}));
  }
}

}  // namespace
}  // namespace pb
