// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/dialogs.h"

#include <gtest/gtest.h>

#include "scripted_boxes.h"
#include "scripted_host.h"
#include "test_drives.h"

namespace pb {
namespace {

using testing::ProgramEnded;
using testing::ReadFile;
using testing::ScriptedBoxes;
using testing::ScriptedHost;
using testing::TestDrives;

TEST(ConfirmCancelTest, AsksYesNoWithNoAsDefault) {
  ScriptedBoxes boxes;
  boxes.Then(BoxButton::Yes).Then(BoxButton::No);
  EXPECT_TRUE(ConfirmCancel(boxes));
  EXPECT_FALSE(ConfirmCancel(boxes));
  ASSERT_EQ(boxes.shown().size(), 2u);
  const MessageBox& box = boxes.shown()[0];
  EXPECT_EQ(box.text, "Wollen Sie den Vorgang wirklich abbrechen?");
  EXPECT_EQ(box.title, "Parcelbarge");
  EXPECT_EQ(box.icon, BoxIcon::Question);
  EXPECT_EQ(box.buttons, BoxButtons::YesNo);
  EXPECT_EQ(box.defaultButton, BoxButton::No);
}

class ReportFatalErrorTest : public ::testing::Test {
 protected:
  // Reports error at location and returns the exit status the program ended with.
  int Report(const std::string& location, const RunTimeError& error) {
    boxes.Then(BoxButton::Ok);
    try {
      ReportFatalError(runtime, location, error);
    } catch (const ProgramEnded& ended) {
      return ended.exitStatus;
    }
    ADD_FAILURE() << "ReportFatalError returned";
    return -1;
  }

  TestDrives drives;
  ScriptedBoxes boxes;
  ScriptedHost host;
  Runtime runtime{drives.fs(), boxes, host};
};

TEST_F(ReportFatalErrorTest, NamesLocationDescriptionCodeAndSupportAddress) {
  EXPECT_EQ(Report("PUT", RunTimeError(kDeviceIo)), kExitFatal);
  ASSERT_EQ(boxes.shown().size(), 1u);
  const MessageBox& box = boxes.shown()[0];
  EXPECT_EQ(box.text,
            "Es kam in Modul PUT zu folgendem Fehler:\rFehler beim Geräte-E/A /57\r"
            "Bitte benachrichtigen Sie den Programmautor über ff. e-Mail-Adresse:\r"
            "support@parcelbarge.example.org");
  EXPECT_EQ(box.title, "Parcelbarge");
  EXPECT_EQ(box.icon, BoxIcon::Critical);
  EXPECT_EQ(box.buttons, BoxButtons::Ok);
}

TEST_F(ReportFatalErrorTest, EmptyDescriptionAndNegativeCodeKeepTheLayout) {
  Report("RESTORE", RunTimeError(-2147483647 - 1, ""));
  EXPECT_EQ(boxes.texts().at(0),
            "Es kam in Modul RESTORE zu folgendem Fehler:\r /-2147483648\r"
            "Bitte benachrichtigen Sie den Programmautor über ff. e-Mail-Adresse:\r"
            "support@parcelbarge.example.org");
}

TEST_F(ReportFatalErrorTest, ProgramEndClosesOpenFilesWithWhatWasWritten) {
  const FileNumber file = drives.fs().Open("D:\\DataBlock#1.Parcelbarge", OpenMode::BinaryWrite);
  drives.fs().Write(file, "halb");
  Report("PUT", RunTimeError(kPathFileAccess));
  EXPECT_THROW(drives.fs().Length(file), RunTimeError) << "the file was closed";
  EXPECT_EQ(ReadFile(drives.Native("D:\\DataBlock#1.Parcelbarge")), "halb");
}

}  // namespace
}  // namespace pb
