// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/description_box.h"

#include <QMimeData>
#include <QSignalBlocker>

#include "window/focus_mark.h"
#include "window/stored_text.h"

namespace pb {

DescriptionBox::DescriptionBox(int maxLength, QWidget* parent) : FramedScrollArea(parent), maxLength_(maxLength) {
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Tab moves on to the next control, as in a dialog; it never types.
  setTabChangesFocus(true);
  connect(this, &QPlainTextEdit::textChanged, this, [this] { EnforceMaxLength(); });
}

std::string DescriptionBox::StoredText() const {
  return ToStoredText(toPlainText());
}

void DescriptionBox::SetStoredText(const std::string& text) {
  setPlainText(ToDisplayText(text));
}

// A pasted tab becomes a blank: the description keeps no tab characters.
void DescriptionBox::insertFromMimeData(const QMimeData* source) {
  insertPlainText(source->text().replace(QLatin1Char('\t'), QLatin1Char(' ')));
}

// Only what the user types is limited: a description read from a set is shown
// whole.
void DescriptionBox::EnforceMaxLength() {
  if (isReadOnly()) return;
  const QString text = toPlainText();
  qsizetype stored = 0;
  qsizetype keep = 0;
  for (; keep < text.size(); ++keep) {
    stored += text[keep] == QLatin1Char('\n') ? 2 : 1;
    if (stored > maxLength_) break;
  }
  if (keep == text.size()) return;
  // Typing or pasting past the limit keeps what fits, as a single-line box does.
  const QSignalBlocker blocker(this);
  setPlainText(text.left(keep));
  moveCursor(QTextCursor::End);
}

// A read-only box shows no cursor to mark the focus by.
void DescriptionBox::paintEvent(QPaintEvent* event) {
  QPlainTextEdit::paintEvent(event);
  if (isReadOnly() && hasFocus()) DrawFocusMark(*viewport());
}

void DescriptionBox::focusInEvent(QFocusEvent* event) {
  QPlainTextEdit::focusInEvent(event);
  viewport()->update();
}

void DescriptionBox::focusOutEvent(QFocusEvent* event) {
  QPlainTextEdit::focusOutEvent(event);
  viewport()->update();
}

}  // namespace pb
