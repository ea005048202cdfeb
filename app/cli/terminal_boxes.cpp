// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminal_boxes.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "exit_status.h"
#include "support/console.h"
#include "terminal_text.h"

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

// A waiting question is a point where an interrupt may end the tool at once.
class InterruptibleWait {
 public:
  InterruptibleWait() : deferred_(console::DeferInterrupts(false)) {}
  ~InterruptibleWait() { console::DeferInterrupts(deferred_); }
  InterruptibleWait(const InterruptibleWait&) = delete;
  InterruptibleWait& operator=(const InterruptibleWait&) = delete;

 private:
  bool deferred_;
};

}  // namespace

bool AsksForNextMedium(const MessageBox& box) {
  return box.buttons == BoxButtons::OkCancel && box.icon == BoxIcon::Information;
}

void TerminalBoxes::Print(const MessageBox& box) {
  // Lines of a box are separated by CR; names within them come from sets.
  out_ << cli::TerminalSafe(box.title) << '\n';
  std::size_t start = 0;
  for (std::size_t cr = box.text.find('\r'); cr != std::string::npos; cr = box.text.find('\r', start)) {
    out_ << cli::TerminalSafe(std::string_view(box.text).substr(start, cr - start)) << '\n';
    start = cr + 1;
  }
  out_ << cli::TerminalSafe(std::string_view(box.text).substr(start)) << '\n';
  if (!box.reason.empty()) out_ << cli::TerminalSafe(box.reason) << '\n';
}

BoxButton TerminalBoxes::Show(const MessageBox& box) {
  const bool question = box.buttons != BoxButtons::Ok;
  const bool informs = box.icon == BoxIcon::Information || box.icon == BoxIcon::None;
  if (!question) {
    if (!(options_.quiet && informs)) Print(box);
    out_ << std::flush;
    return BoxButton::Ok;
  }
  if (box.buttons == BoxButtons::YesNo && confirmUnanswered_) {
    // The Cancel before it was no one's choice: confirm it the same way.
    confirmUnanswered_ = false;
    Print(box);
    out_ << "Ja\n" << std::flush;
    return BoxButton::Yes;
  }
  if (AsksForNextMedium(box) && options_.yes) {
    // --yes gives up on a volume when it is asked for again, whatever came
    // between: an OK changed nothing.
    const bool again = promptedVolume_ == box.volume;
    if (!options_.quiet || again) Print(box);
    if (again) return Unanswered(box, cli::kExitUnavailable);
    promptedVolume_ = box.volume;
    if (!options_.quiet) out_ << "OK\n" << std::flush;
    return BoxButton::Ok;
  }
  Print(box);
  return Answer(box);
}

BoxButton TerminalBoxes::Answer(const MessageBox& box) {
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
    bool answered = false;
    {
      InterruptibleWait wait;
      answered = static_cast<bool>(std::getline(in_, line));
    }
    if (!answered) {
      out_ << '\n';
      if (box.buttons != BoxButtons::YesNo) {
        return Unanswered(box, AsksForNextMedium(box) ? cli::kExitUnavailable : kExitFatal);
      }
      // Only a person's Cancel comes before it.
      giveUpStatus_ = cli::kExitCancelled;
      return BoxButton::Yes;
    }
    const std::string answer = Lower(Trimmed(line));
    if (answer.empty()) return Chosen(fallback);
    for (const BoxButton button : buttons) {
      const std::string word = Lower(WordOf(button));
      if (answer == word || answer == word.substr(0, 1)) return Chosen(button);
    }
  }
}

BoxButton TerminalBoxes::Chosen(BoxButton button) {
  // Yes is only ever asked to confirm giving up.
  if (button == BoxButton::Yes) giveUpStatus_ = cli::kExitCancelled;
  return button;
}

BoxButton TerminalBoxes::Unanswered(const MessageBox& box, int status) {
  out_ << "Abbrechen\n" << std::flush;
  giveUpStatus_ = status;
  confirmUnanswered_ = box.buttons == BoxButtons::OkCancel;
  return BoxButton::Cancel;
}

}  // namespace pb
