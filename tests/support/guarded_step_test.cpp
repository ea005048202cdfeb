// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/guarded_step.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scripted_boxes.h"
#include "scripted_host.h"
#include "test_drives.h"

namespace pb {
namespace {

using testing::ProgramEnded;
using testing::ScriptedBoxes;
using testing::ScriptedHost;

constexpr const char* kNotReady =
    "Auf den Zieldatenträger kann nicht geschrieben werden.\rBitte prüfen und auf OK klicken.";
constexpr const char* kConfirm = "Wollen Sie den Vorgang wirklich abbrechen?";

enum class Ends { Done, MediumFull, GivenUp, Fatal };

struct WriteCase {
  const char* name;
  std::vector<int32_t> failures;  // the codes of the first attempts; the next one succeeds
  std::vector<BoxButton> answers;
  Ends ends;
  int attempts;
  std::vector<std::string> texts;  // of the boxes shown, the fatal report by its first line only
};

TEST(GuardedTargetWriteTest, EachFailureEndsTheWriteItsOwnWay) {
  const std::vector<WriteCase> cases = {
      {"success", {}, {}, Ends::Done, 1, {}},
      {"full medium", {kMediumFull}, {}, Ends::MediumFull, 1, {}},
      {"not ready, OK", {kDriveNotReady, kDriveNotReady}, {BoxButton::Ok, BoxButton::Ok}, Ends::Done, 3,
       {kNotReady, kNotReady}},
      {"not ready, then full", {kDriveNotReady, kMediumFull}, {BoxButton::Ok}, Ends::MediumFull, 2, {kNotReady}},
      {"Cancel, No, OK", {kDriveNotReady}, {BoxButton::Cancel, BoxButton::No, BoxButton::Ok}, Ends::Done, 2,
       {kNotReady, kConfirm, kNotReady}},
      {"Cancel, Yes", {kDriveNotReady}, {BoxButton::Cancel, BoxButton::Yes}, Ends::GivenUp, 1, {kNotReady, kConfirm}},
      {"other code", {kDeviceIo}, {BoxButton::Ok}, Ends::Fatal, 1, {"Es kam in Modul RESTORE zu folgendem Fehler:"}},
  };
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TestDrives drives;
    ScriptedBoxes boxes;
    for (BoxButton answer : c.answers) boxes.Then(answer);
    ScriptedHost host;
    Runtime runtime{drives.fs(), boxes, host};
    int attempts = 0;
    const auto write = [&] {
      ++attempts;
      if (attempts <= static_cast<int>(c.failures.size())) Raise(c.failures[attempts - 1]);
    };
    Ends ends = Ends::Fatal;
    try {
      ends = GuardedTargetWrite(runtime, "RESTORE", write) == WriteResult::Done ? Ends::Done : Ends::MediumFull;
    } catch (const RunGivenUp&) {
      ends = Ends::GivenUp;
    } catch (const ProgramEnded& ended) {
      EXPECT_EQ(ended.exitStatus, kExitFatal);
    }
    EXPECT_EQ(ends, c.ends);
    EXPECT_EQ(attempts, c.attempts);
    std::vector<std::string> texts = boxes.texts();
    if (c.ends == Ends::Fatal && !texts.empty()) texts.back() = texts.back().substr(0, texts.back().find('\r'));
    EXPECT_EQ(texts, c.texts);
    EXPECT_TRUE(boxes.scriptDone());
  }
}

}  // namespace
}  // namespace pb
