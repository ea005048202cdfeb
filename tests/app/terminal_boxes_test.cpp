// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminal_boxes.h"

#include <sstream>

#include <gtest/gtest.h>

namespace pb {
namespace {

struct Answered {
  BoxButton button;
  std::string output;
};

Answered Ask(const std::string& input, BoxButtons buttons, BoxButton defaultButton = BoxButton::Ok) {
  std::istringstream in(input);
  std::ostringstream out;
  TerminalBoxes boxes(in, out);
  const BoxButton button =
      boxes.Show(MessageBox{.text = "Erste Zeile\rzweite Zeile", .buttons = buttons, .defaultButton = defaultButton});
  return {button, out.str()};
}

TEST(TerminalBoxesTest, ShowsTitleLinesAndButtonsWithDefault) {
  const Answered answered = Ask("\n", BoxButtons::YesNo, BoxButton::No);
  EXPECT_EQ(answered.button, BoxButton::No);
  EXPECT_EQ(answered.output, "Parcelbarge\nErste Zeile\nzweite Zeile\nJa / [Nein]: ");
  EXPECT_EQ(Ask("\n", BoxButtons::OkCancel).output, "Parcelbarge\nErste Zeile\nzweite Zeile\n[OK] / Abbrechen: ");
}

TEST(TerminalBoxesTest, AcceptsWordsAndFirstLettersInAnyCase) {
  EXPECT_EQ(Ask("ja\n", BoxButtons::YesNo, BoxButton::No).button, BoxButton::Yes);
  EXPECT_EQ(Ask("J\n", BoxButtons::YesNo, BoxButton::No).button, BoxButton::Yes);
  EXPECT_EQ(Ask("  NEIN \n", BoxButtons::YesNo).button, BoxButton::No);
  EXPECT_EQ(Ask("a\n", BoxButtons::OkCancel).button, BoxButton::Cancel);
  EXPECT_EQ(Ask("Abbrechen\n", BoxButtons::OkCancel).button, BoxButton::Cancel);
  EXPECT_EQ(Ask("o\n", BoxButtons::OkCancel).button, BoxButton::Ok);
  EXPECT_EQ(Ask("\n", BoxButtons::OkCancel).button, BoxButton::Ok);
}

TEST(TerminalBoxesTest, AsksAgainOnAnythingElse) {
  const Answered answered = Ask("vielleicht\nn\n", BoxButtons::YesNo);
  EXPECT_EQ(answered.button, BoxButton::No);
  EXPECT_EQ(answered.output, "Parcelbarge\nErste Zeile\nzweite Zeile\n[Ja] / Nein: [Ja] / Nein: ");
  EXPECT_EQ(Ask("j\nok\n", BoxButtons::OkCancel).button, BoxButton::Ok) << "Ja is no answer to OK/Abbrechen";
}

TEST(TerminalBoxesTest, EndOfInputGivesUpWithoutHanging) {
  EXPECT_EQ(Ask("", BoxButtons::OkCancel).button, BoxButton::Cancel);
  EXPECT_EQ(Ask("", BoxButtons::YesNo, BoxButton::No).button, BoxButton::Yes);
  EXPECT_EQ(Ask("", BoxButtons::Ok).button, BoxButton::Ok);
  EXPECT_EQ(Ask("weiss nicht", BoxButtons::OkCancel).button, BoxButton::Cancel);
}

}  // namespace
}  // namespace pb
