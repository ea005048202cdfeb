// SPDX-License-Identifier: GPL-3.0-or-later
// Times and permissions go with a set in its companion record and come back;
// a set without a fitting record, or with a damaged one, restores as before.
#include <fcntl.h>
#include <sys/stat.h>

#include <functional>

#include "../backup/backup_fixture.h"
#include "faulty_file_system.h"
#include "restore_fixture.h"
#include "store/set_identity.h"
#include "store/stamp_record.h"

namespace pb {
namespace {

using testing::Op;
using testing::RandomBytes;

struct Entry {
  std::string path;  // below C:\, "/" between names; a directory ends in "/"
  int mode;
  int64_t seconds;
  int32_t nanoseconds;
};

// Executables, read-only files and directories, with times at the edges: the
// epoch, past 2038 and with nanoseconds.
const std::vector<Entry> kTree = {
    {"Baum/", 0750, 978307200, 0},
    {"Baum/Unter/", 0705, 2147483648 + 86400, 5},
    {"Baum/Unter/tief/", 0555, 1, 999999999},
    {"Baum/run.sh", 0751, 1577836800, 123456789},
    {"Baum/nur-lesen.txt", 0444, 0, 0},
    {"Baum/Unter/spaet.bin", 0600, 4102444800, 1},
    {"Baum/Unter/tief/leer", 0640, 86399, 500000000},
};

struct timespec TimeOf(const Entry& entry) { return {entry.seconds, entry.nanoseconds}; }

// The tree below C:\, stamped from the deepest entry up; returns the files.
std::vector<std::string> PlantTree(testing::TestDrives& drives) {
  std::vector<std::string> files;
  for (const Entry& entry : kTree) {
    const std::filesystem::path native = drives.Root('C') / testing::NativePath(entry.path);
    if (entry.path.back() == '/') {
      std::filesystem::create_directories(native);
    } else {
      testing::WriteFile(native, entry.mode == 0751 ? "#!/bin/sh\n" : RandomBytes(3000, entry.mode));
      std::string drivePath = "C:\\" + entry.path;
      std::replace(drivePath.begin(), drivePath.end(), '/', '\\');
      files.push_back(drivePath);
    }
  }
  for (auto it = kTree.rbegin(); it != kTree.rend(); ++it) {
    const std::string native = (drives.Root('C') / testing::NativePath(it->path)).string();
    const struct timespec times[2] = {TimeOf(*it), TimeOf(*it)};
    EXPECT_EQ(utimensat(AT_FDCWD, native.c_str(), times, 0), 0);
    EXPECT_EQ(chmod(native.c_str(), static_cast<mode_t>(it->mode)), 0);
  }
  return files;
}

// Names each entry below root whose time or mode differs from the tree's;
// only those of the paths given, when they are given.
std::string Differences(const std::filesystem::path& root, const std::vector<std::string>& only = {}) {
  std::string differences;
  for (const Entry& entry : kTree) {
    if (!only.empty() && std::find(only.begin(), only.end(), entry.path) == only.end()) continue;
    struct stat info {};
    const std::filesystem::path native = root / testing::NativePath(entry.path);
    if (stat(native.c_str(), &info) != 0) {
      differences += " " + entry.path + " missing";
      continue;
    }
    if (info.st_mtim.tv_sec != entry.seconds || info.st_mtim.tv_nsec != entry.nanoseconds) {
      differences += " " + entry.path + " time " + std::to_string(info.st_mtim.tv_sec) + "." +
                     std::to_string(info.st_mtim.tv_nsec);
    }
    if (static_cast<int>(info.st_mode & 07777) != entry.mode) differences += " " + entry.path + " mode";
  }
  return differences;
}

class StampsRoundTripTest : public testing::RestoreTest {
 protected:
  void SetUp() override {
    plan.files = PlantTree(drives);
    plan.volumeLimit = 4000;
    boxes.Then(BoxButton::Ok);
    std::filesystem::create_directories(SetDir());
    Runtime runtime{drives.fs(), boxes, host};
    ASSERT_EQ(testing::RunPlan(runtime, plan), BackupOutcome::Complete);
    boxes = {};
  }

  std::filesystem::path Record() { return SetDir() / std::string(kStampFileName); }

  BackupPlan plan = testing::TestPlan();
};

TEST_F(StampsRoundTripTest, TimesAndModesComeBack) {
  ASSERT_TRUE(std::filesystem::exists(SetDir() / "DataBlock#3.Parcelbarge"));
  EXPECT_EQ(Restore(), RestoreOutcome::Intact);
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(Differences(TargetDir()), "");
}

// The directories the restore makes take the stamps of those they came from,
// also when the stored names lose their first directories on the way.
TEST_F(StampsRoundTripTest, StrippedDirectoriesAreFound) {
  ProbeDisplay view("D:\\Sich");
  ProbeArchive(view, drives.fs(), probe);
  RestoreOptions options;
  options.place = [](const std::string& name) -> std::optional<std::string> { return name.substr(8); };
  Runtime runtime{drives.fs(), boxes, host};
  ASSERT_EQ(ReadArchive(runtime, probe, "D:\\Sich", "C:\\Rueck", 1, options), RestoreOutcome::Intact);
  struct stat info {};
  ASSERT_EQ(stat((TargetDir() / "Unter").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0705u);
  EXPECT_EQ(info.st_mtim.tv_sec, 2147483648 + 86400);
  ASSERT_EQ(stat(TargetDir().c_str(), &info), 0);
  EXPECT_NE(info.st_mode & 07777, 0750u) << "the target itself keeps its own mode";
}

// What becomes of a record that is missing, damaged or made for other files:
// the files come back whole in every case, with their stamps only from a
// record of their own.
TEST_F(StampsRoundTripTest, RecordsThatDoNotFitAreLeftAside) {
  const std::string record = testing::ReadFile(Record());
  const std::size_t data = record.find("Daten ");
  const std::size_t packed = record.find('\n', data) + 1;
  const std::string files = record.substr(record.find("Dateien "), data - record.find("Dateien "));
  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string changed = record;
    changed.replace(changed.find(from), from.size(), to);
    return changed;
  };
  const std::string otherNames = replaced(files.substr(files.size() - 33, 32), std::string(32, '0'));
  const std::string otherCount = replaced("Dateien 4 ", "Dateien 5 ");
  std::string otherSet = record;
  const std::size_t setId = record.find("Satz ") + 5;
  otherSet[setId] = otherSet[setId] == '0' ? '1' : '0';
  std::string flipped = record;
  flipped[packed + 3] = static_cast<char>(flipped[packed + 3] ^ 0x10);
  struct Case {
    const char* name;
    std::optional<std::string> bytes;  // nullopt: no record at all
    bool stamped;
    bool damagedBox;
  };
  const std::vector<Case> cases = {
      {"own record", record, true, false},
      {"no record", std::nullopt, false, false},
      {"one bit changed in the packed part", flipped, false, true},
      {"cut short", record.substr(0, record.size() - 1), false, true},
      {"nothing but its first line", "Parcelbarge-Zeiten 1\n", false, true},
      {"a later version", replaced("Parcelbarge-Zeiten 1", "Parcelbarge-Zeiten 2"), false, true},
      {"other names", otherNames, false, false},
      {"a count the packed part does not hold", otherCount, false, true},
      {"another set's identity", otherSet, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(TargetDir());
    std::filesystem::remove(Record());
    if (c.bytes) testing::WriteFile(Record(), *c.bytes);
    boxes = {};
    if (c.damagedBox) boxes.Then(BoxButton::Ok);
    EXPECT_EQ(Restore(), RestoreOutcome::Intact);
    EXPECT_EQ(testing::ReadFile(TargetDir() / "Baum" / "run.sh"), "#!/bin/sh\n");
    EXPECT_EQ(Differences(TargetDir()).empty(), c.stamped) << Differences(TargetDir());
    EXPECT_EQ(boxes.shown().size(), c.damagedBox ? 1u : 0u);
  }
}

// A run that ends before the last volume was read, given up or past a lost
// volume, gives the files it restored their stamps when the record lies
// beside the volumes read and names the same set; the names read are too few
// to bind it otherwise.
TEST_F(StampsRoundTripTest, RunsEndedEarlyKeepTheStampsOfWhatTheyRestored) {
  const std::string record = testing::ReadFile(Record());
  const std::string volume3 = testing::ReadFile(SetDir() / "DataBlock#3.Parcelbarge");
  std::string otherSet = record;
  const std::size_t setId = record.find("Satz ") + 5;
  otherSet[setId] = otherSet[setId] == '0' ? '1' : '0';
  const struct {
    const char* name;
    bool givenUp;  // else volume 3 is lost
    std::string bytes;
    bool stamped;
  } cases[] = {
      {"given up at volume 3, own record", true, record, true},
      {"given up at volume 3, another set's identity", true, otherSet, false},
      {"volume 3 lost, own record", false, record, true},
      {"volume 3 lost, another set's identity", false, otherSet, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(TargetDir());
    testing::WriteFile(Record(), c.bytes);
    testing::WriteFile(SetDir() / "DataBlock#3.Parcelbarge", volume3);
    boxes = {};
    testing::FaultyFileSystem faulty(drives.fs());
    if (c.givenUp) {
      faulty.Fail(Op::Read, 1, 57, "DataBlock#3", true);
      boxes.Then(BoxButton::Cancel).Then(BoxButton::Yes);
      EXPECT_EQ(Restore(faulty), RestoreOutcome::GivenUp);
    } else {
      std::filesystem::remove(SetDir() / "DataBlock#3.Parcelbarge");
      boxes.Then(BoxButton::Ok);  // the volume cannot be rebuilt
      EXPECT_NE(Restore(), RestoreOutcome::Intact);
    }
    EXPECT_EQ(testing::ReadFile(TargetDir() / "Baum" / "run.sh"), "#!/bin/sh\n");
    const std::string differences = Differences(TargetDir(), {"Baum/", "Baum/run.sh", "Baum/nur-lesen.txt"});
    EXPECT_EQ(differences.empty(), c.stamped) << differences;
  }
}

}  // namespace
}  // namespace pb
