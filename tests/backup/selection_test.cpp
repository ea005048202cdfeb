// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "scripted_boxes.h"
#include "scripted_host.h"
#include "backup/directory_walk.h"
#include "backup/selection_drop.h"
#include "faulty_file_system.h"
#include "support/run_time_error.h"
#include "test_drives.h"

namespace pb::testing {
namespace {

class SelectionTest : public ::testing::Test {
 protected:
  void Make(const std::string& drivePath, const std::string& bytes = "x") { WriteFile(drives.Native(drivePath), bytes); }

  std::vector<std::string> Walk(const std::string& directory) {
    std::vector<std::string> found{"alt"};
    report = {};
    CollectDirectoryFiles(drives.fs(), host, directory, true, found, &report);
    return found;
  }

  std::vector<std::string> LeftOutNames() const {
    std::vector<std::string> names;
    for (const LeftOut& entry : report.leftOut) names.push_back(entry.name);
    return names;
  }

  TestDrives drives;
  ScriptedBoxes boxes;
  ScriptedHost host;
  Runtime runtime{drives.fs(), boxes, host};
  SelectionReport report;
};

TEST_F(SelectionTest, WalkListsFilesFirstThenSubtreesLastFoundFirst) {
  for (const char* file : {"C:\\D\\b", "C:\\D\\a", "C:\\D\\s1\\x", "C:\\D\\s2\\y", "C:\\D\\s2\\t\\z", "C:\\D\\s2\\t\\u"}) {
    Make(file);
  }
  EXPECT_EQ(Walk("C:\\D"), (std::vector<std::string>{"C:\\D\\a", "C:\\D\\b", "C:\\D\\s2\\y", "C:\\D\\s2\\t\\u",
                                                     "C:\\D\\s2\\t\\z", "C:\\D\\s1\\x"}));
  EXPECT_EQ(host.yields, 4);  // one per directory listed
}

TEST_F(SelectionTest, WalkSkipsDotNamesWithEverythingBelowThem) {
  Make("C:\\D\\.profil");
  Make("C:\\D\\.cache\\tief");
  Make("C:\\D\\leer\\.nur-versteckt");
  Make("C:\\D\\sichtbar");
  EXPECT_EQ(Walk("C:\\D\\"), std::vector<std::string>{"C:\\D\\sichtbar"});
  EXPECT_EQ(report.dotNames, 3);
  EXPECT_TRUE(report.leftOut.empty());
}

TEST_F(SelectionTest, WalkOfADriveRootHasOneBackslash) {
  Make("D:\\a");
  Make("D:\\u\\b");
  EXPECT_EQ(Walk("D:\\"), (std::vector<std::string>{"D:\\a", "D:\\u\\b"}));
}

TEST_F(SelectionTest, WalkNamesWhatItCannotTake) {
  std::filesystem::create_directories(drives.Native("C:\\D\\u"));
  WriteFile(drives.Native("C:\\D") / NativePath("\xE6\x97\xA5.txt"), "x");
  Make("C:\\D\\gut.txt");
  std::vector<std::pair<std::string, std::string>> expected{
      {"C:\\D\\?.txt", "Der Name enthält Zeichen, die ein Sicherungssatz nicht speichern kann"},
  };
#ifndef _WIN32
  // Never opened: reading the pipe would hang.
  ASSERT_EQ(mkfifo(drives.Native("C:\\D\\u\\pipe").c_str(), 0600), 0);
  std::filesystem::create_symlink("pipe", drives.Native("C:\\D\\u\\zur-pipe"));
  std::filesystem::create_symlink("nirgends", drives.Native("C:\\D\\u\\tot"));
  std::filesystem::create_symlink("kreis", drives.Native("C:\\D\\u\\kreis"));
  // Followed, it would walk D again and again.
  std::filesystem::create_symlink("..", drives.Native("C:\\D\\u\\oben"));
  expected.insert(expected.end(), {
                                      {"C:\\D\\u\\kreis", "Verknüpfung ohne Ziel"},
                                      {"C:\\D\\u\\oben", "führt zurück in ein Verzeichnis darüber"},
                                      {"C:\\D\\u\\pipe", "keine gewöhnliche Datei"},
                                      {"C:\\D\\u\\tot", "Verknüpfung ohne Ziel"},
                                      {"C:\\D\\u\\zur-pipe", "keine gewöhnliche Datei"},
                                  });
#endif
  EXPECT_EQ(Walk("C:\\D"), std::vector<std::string>{"C:\\D\\gut.txt"});
  std::vector<std::pair<std::string, std::string>> got;
  for (const LeftOut& entry : report.leftOut) got.emplace_back(entry.name, entry.reason);
  EXPECT_EQ(got, expected);
}

TEST_F(SelectionTest, WalkReportsWhatItCannotListOrQuery) {
  Make("C:\\D\\zu\\innen");
  Make("C:\\D\\weg");
  Make("C:\\D\\offen");
  FaultyFileSystem faulty(drives.fs());
  faulty.Fail(Op::ListDirectory, 1, 70, "zu").Fail(Op::GetAttributes, 1, 53, "weg");
  std::vector<std::string> found;
  CollectDirectoryFiles(faulty, host, "C:\\D", true, found, &report);
  EXPECT_EQ(found, std::vector<std::string>{"C:\\D\\offen"});
  ASSERT_EQ(LeftOutNames(), (std::vector<std::string>{"C:\\D\\weg", "C:\\D\\zu"}));
  EXPECT_EQ(report.leftOut[0].reason, ErrorDescription(kFileNotFound));
  EXPECT_EQ(report.leftOut[1].reason, ErrorDescription(kPermissionDenied));
}

TEST_F(SelectionTest, DropReportsNamesWithQuestionMarkAndKeepsTheRest) {
  Make("C:\\eins.txt");
  Make("C:\\Ordner\\innen.txt");
  boxes.Then(BoxButton::Ok);
  std::vector<std::string> list{"C:\\schon.txt"};

  const SelectionReport dropped = AddDroppedNames(
      runtime, {"C:\\eins.txt", "C:\\wer?.txt", "C:\\Ordner", "C:\\eins.txt", "C:\\weg.txt"}, list);

  EXPECT_EQ(list, (std::vector<std::string>{"C:\\schon.txt", "C:\\eins.txt", "C:\\Ordner\\innen.txt", "C:\\eins.txt"}));
  ASSERT_EQ(dropped.leftOut.size(), 1u);
  EXPECT_EQ(dropped.leftOut[0].name, "C:\\weg.txt");
  EXPECT_EQ(dropped.leftOut[0].reason, ErrorDescription(kFileNotFound));
  EXPECT_EQ(dropped.toldInBox, 1);
  ASSERT_EQ(boxes.shown().size(), 1u);
  const MessageBox& box = boxes.shown()[0];
  EXPECT_EQ(box.text, "Der Verzeichnisname 'C:\\wer?.txt'\renthält ungültige Zeichen und wird daher nicht berücksichtigt.");
  EXPECT_EQ(box.icon, BoxIcon::None);
  EXPECT_EQ(box.buttons, BoxButtons::Ok);
  EXPECT_EQ(box.title, "Parcelbarge");
}

TEST_F(SelectionTest, DropOfEmptyDirectoriesAddsNothing) {
  std::filesystem::create_directories(drives.Native("C:\\Leer\\Auch"));
  std::vector<std::string> list;
  AddDroppedNames(runtime, {"C:\\Leer"}, list);
  EXPECT_TRUE(list.empty());
  EXPECT_TRUE(boxes.shown().empty());
}

}  // namespace
}  // namespace pb::testing
