// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/message_boxes.h"

namespace pb::testing {

// Records every box and answers from a script. A box shown when the script is
// empty is a test failure: it throws UnexpectedBox.
class ScriptedBoxes : public MessageBoxes {
 public:
  struct UnexpectedBox : std::runtime_error {
    using std::runtime_error::runtime_error;
  };
  struct Answer {
    BoxButton button;
    std::function<void()> before;  // runs before the answer is given (e.g. change the diskette)
  };

  // Queues answers in the order the boxes will be shown.
  ScriptedBoxes& Then(BoxButton button, std::function<void()> before = {}) {
    script_.push_back({button, std::move(before)});
    return *this;
  }

  BoxButton Show(const MessageBox& box) override {
    shown_.push_back(box);
    if (script_.empty()) throw UnexpectedBox("unexpected message box: " + box.text);
    Answer answer = std::move(script_.front());
    script_.pop_front();
    if (answer.before) answer.before();
    return answer.button;
  }

  const std::vector<MessageBox>& shown() const { return shown_; }
  std::vector<std::string> texts() const {
    std::vector<std::string> result;
    for (const auto& box : shown_) result.push_back(box.text);
    return result;
  }
  bool scriptDone() const { return script_.empty(); }

 private:
  std::deque<Answer> script_;
  std::vector<MessageBox> shown_;
};

}  // namespace pb::testing
