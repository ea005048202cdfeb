// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminal_boxes.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace pb {

namespace {

std::vector<BoxButton> ButtonsOf(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::OkCancel: return {BoxButton::Ok, BoxButton::Cancel};
    case BoxButtons::YesNo: return {BoxButton::Yes, BoxButton::No};
    case BoxButtons::Ok: break;
  }
  return {BoxButton::Ok};
}

std::string WordOf(BoxButton button) {
  switch (button) {
    case BoxButton::Ok: return "OK";
    case BoxButton::Cancel: return "Abbrechen";
    case BoxButton::Yes: return "Ja";
    case BoxButton::No: return "Nein";
  }
  return "";
}

BoxButton AtEndOfInput(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::OkCancel: return BoxButton::Cancel;
    case BoxButtons::YesNo: return BoxButton::Yes;
    case BoxButtons::Ok: break;
  }
  return BoxButton::Ok;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

BoxButton TerminalBoxes::Show(const MessageBox& box) {
  std::string text = box.text;
  std::replace(text.begin(), text.end(), '\r', '\n');
  out_ << box.title << '\n' << text << '\n';

  const std::vector<BoxButton> buttons = ButtonsOf(box.buttons);
  const bool defaultOffered = std::find(buttons.begin(), buttons.end(), box.defaultButton) != buttons.end();
  const BoxButton fallback = defaultOffered ? box.defaultButton : buttons.front();
  std::string prompt;
  for (const BoxButton button : buttons) {
    if (!prompt.empty()) prompt += " / ";
    const bool isDefault = button == fallback;
    if (isDefault) prompt += '[';
    prompt += WordOf(button);
    if (isDefault) prompt += ']';
  }
  while (true) {
    out_ << prompt << ": " << std::flush;
    std::string line;
    if (!std::getline(in_, line)) {
      out_ << '\n';
      return AtEndOfInput(box.buttons);
    }
    const std::string answer = Lower(Trimmed(line));
    if (answer.empty()) return fallback;
    for (const BoxButton button : buttons) {
      const std::string word = Lower(WordOf(button));
      if (answer == word || answer == word.substr(0, 1)) return button;
    }
  }
}

}  // namespace pb
