// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminal_boxes.h"

#include <sstream>

#include <gtest/gtest.h>

#include "exit_status.h"

namespace pb {
namespace {

MessageBox Box(BoxButtons buttons, BoxIcon icon = BoxIcon::Critical, BoxButton defaultButton = BoxButton::Ok) {
  return MessageBox{.text = "Erste Zeile\rzweite Zeile", .icon = icon, .buttons = buttons, .defaultButton = defaultButton};
}

const MessageBox kOk = Box(BoxButtons::Ok);
const MessageBox kInfo = Box(BoxButtons::Ok, BoxIcon::Information);
const MessageBox kRetry = Box(BoxButtons::OkCancel);
const MessageBox kNextMedium = Box(BoxButtons::OkCancel, BoxIcon::Information);
MessageBox NextVolume(int volume) {
  MessageBox box = kNextMedium;
  box.volume = volume;
  return box;
}
const MessageBox kConfirm = Box(BoxButtons::YesNo, BoxIcon::Question, BoxButton::No);

const std::string kShown = "Parcelbarge\nErste Zeile\nzweite Zeile\n";

// Boxes shown in turn on one terminal, with what was typed.
struct Case {
  const char* what;
  std::string typed;
  cli::TerminalOptions options;
  std::vector<MessageBox> boxes;
  std::vector<BoxButton> answers;
  std::string output;
  int giveUpStatus;
  std::string unread;  // input left for later
};

const Case kCases[] = {
    {"a box that only informs waits for nothing", "ok\n", {}, {kInfo, kOk}, {BoxButton::Ok, BoxButton::Ok},
     kShown + kShown, kExitFatal, "ok\n"},
    {"quiet keeps errors only", "", {true, false}, {kInfo, kOk}, {BoxButton::Ok, BoxButton::Ok}, kShown, kExitFatal, ""},
    {"default in brackets", "\n\n", {}, {kConfirm, kRetry}, {BoxButton::No, BoxButton::Ok},
     kShown + "Ja / [Nein]: " + kShown + "[OK] / Abbrechen: ", kExitFatal, ""},
    {"words and first letters in any case", "ja\n  NEIN \nA\nabbrechen\no\n", {},
     {kConfirm, kConfirm, kRetry, kRetry, kRetry},
     {BoxButton::Yes, BoxButton::No, BoxButton::Cancel, BoxButton::Cancel, BoxButton::Ok}, "", cli::kExitCancelled, ""},
    {"anything else asks again", "vielleicht\nj\nok\n", {}, {kConfirm, kRetry}, {BoxButton::Yes, BoxButton::Ok},
     kShown + "Ja / [Nein]: Ja / [Nein]: " + kShown + "[OK] / Abbrechen: ", cli::kExitCancelled, ""},
    {"a person gives up", "a\nj\n", {}, {kNextMedium, kConfirm}, {BoxButton::Cancel, BoxButton::Yes}, "",
     cli::kExitCancelled, ""},
    {"no answer to the next medium: not available", "", {}, {kNextMedium, kConfirm},
     {BoxButton::Cancel, BoxButton::Yes}, kShown + "[OK] / Abbrechen: \nAbbrechen\n" + kShown + "Ja\n",
     cli::kExitUnavailable, ""},
    {"no answer to a failure: fatal", "", {}, {kRetry, kConfirm}, {BoxButton::Cancel, BoxButton::Yes}, "", kExitFatal,
     ""},
    {"yes confirms the next medium, but not twice in a row", "x\n", {false, true}, {kNextMedium, kNextMedium, kConfirm},
     {BoxButton::Ok, BoxButton::Cancel, BoxButton::Yes}, kShown + "OK\n" + kShown + "Abbrechen\n" + kShown + "Ja\n",
     cli::kExitUnavailable, "x\n"},
    {"yes gives up on a volume asked for again, whatever came between", "x\n", {true, true},
     {NextVolume(2), kInfo, kOk, NextVolume(2), kConfirm},
     {BoxButton::Ok, BoxButton::Ok, BoxButton::Ok, BoxButton::Cancel, BoxButton::Yes}, "", cli::kExitUnavailable,
     "x\n"},
    {"yes confirms each next volume once", "x\n", {true, true}, {NextVolume(2), NextVolume(3), NextVolume(1)},
     {BoxButton::Ok, BoxButton::Ok, BoxButton::Ok}, "", kExitFatal, "x\n"},
    {"a reason on a line of its own", "", {},
     {MessageBox{.text = "Die Datei X konnte nicht angelegt werden ...", .reason = "Zugriff verweigert"}},
     {BoxButton::Ok}, "Parcelbarge\nDie Datei X konnte nicht angelegt werden ...\nZugriff verweigert\n", kExitFatal,
     ""},
};

TEST(TerminalBoxesTest, AnswersInTurn) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    std::istringstream in(c.typed);
    std::ostringstream out;
    TerminalBoxes boxes(in, out, c.options);
    std::vector<BoxButton> answers;
    for (const MessageBox& box : c.boxes) answers.push_back(boxes.Show(box));
    EXPECT_EQ(answers, c.answers);
    if (!c.output.empty()) {
      EXPECT_EQ(out.str(), c.output);
    }
    EXPECT_EQ(boxes.GiveUpStatus(), c.giveUpStatus);
    std::string rest;
    std::getline(in, rest, '\0');
    EXPECT_EQ(rest, c.unread);
  }
}

TEST(TerminalBoxesTest, ControlCharactersFromSetsAreShownEscaped) {
  std::istringstream in;
  std::ostringstream out;
  TerminalBoxes boxes(in, out);
  boxes.Show(MessageBox{.text = "Die Datei C:\\\x1B[2J\xC2\x9B" "a\nb konnte nicht angelegt werden ...\rzweite"});
  EXPECT_EQ(out.str(), "Parcelbarge\nDie Datei C:\\\\x1B[2J\\x9Ba\\x0Ab konnte nicht angelegt werden ...\nzweite\n");
}

}  // namespace
}  // namespace pb
