// SPDX-License-Identifier: GPL-3.0-or-later
// Every caption fits its control and no two controls' texts overlap, measured
// with the font the window really resolved. Run once with the fonts the
// package depends on and once with DejaVu Sans as the only font (see
// CMakeLists.txt); PB_EXPECTED_FONT names the family the run must resolve.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTextLayout>
#include <QTimer>

#include "window/info_form.h"
#include "window/wrapping_button.h"
#include "window_fixture.h"

namespace pb::testing {
namespace {

// The room a control gives its text, in its own coordinates.
QRect TextRoom(QWidget& control) {
  if (auto* label = qobject_cast<QLabel*>(&control)) return label->contentsRect();
  if (auto* button = qobject_cast<QPushButton*>(&control)) {
    QStyleOptionButton option;
    option.initFrom(button);
    // The caption keeps clear of the frame by the style's button margin.
    const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button) / 2;
    return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).adjusted(margin, 0, -margin, 0);
  }
  if (auto* box = qobject_cast<QCheckBox*>(&control)) {
    QStyleOptionButton option;
    option.initFrom(box);
    return box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
  }
  if (auto* radio = qobject_cast<QRadioButton*>(&control)) {
    QStyleOptionButton option;
    option.initFrom(radio);
    return radio->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, radio);
  }
  if (auto* combo = qobject_cast<QComboBox*>(&control)) {
    QStyleOptionComboBox option;
    option.initFrom(combo);
    return combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
  }
  ADD_FAILURE() << "no caption in " << control.objectName().toStdString();
  return {};
}

bool Wraps(QWidget& control) {
  if (auto* label = qobject_cast<QLabel*>(&control)) return label->wordWrap();
  return dynamic_cast<WrappingButton*>(&control) != nullptr;
}

// Where the text is set inside the room, as the control lays it out.
QRect TextRect(QWidget& control, const QString& text) {
  const QRect room = TextRoom(control);
  const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic | (Wraps(control) ? Qt::TextWordWrap : 0);
  // A trailing blank leaves no ink.
  return control.fontMetrics().boundingRect(room, flags, text.trimmed());
}

QStringList Captions(QWidget& control) {
  if (auto* label = qobject_cast<QLabel*>(&control)) return {label->text()};
  if (auto* button = qobject_cast<QAbstractButton*>(&control)) return {button->text()};
  QStringList items;
  if (auto* combo = qobject_cast<QComboBox*>(&control)) {
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  }
  return items;
}

// The part of the window a control takes: a label its text and a pixel of
// clear room around it, any other control its whole face.
QRect Taken(QWidget& control, QWidget& window) {
  const QRect local = qobject_cast<QLabel*>(&control)
                          ? TextRect(control, Captions(control).value(0)).adjusted(-1, -1, 1, 1)
                          : control.rect();
  return QRect(control.mapTo(&window, local.topLeft()), local.size());
}

void ExpectCaptionsFit(QWidget& control) {
  SCOPED_TRACE(control.objectName().toStdString());
  const QRect room = TextRoom(control);
  for (const QString& caption : Captions(control)) {
    const QRect text = TextRect(control, caption);
    EXPECT_TRUE(room.contains(text)) << caption.toStdString() << ": needs " << text.width() << "×" << text.height()
                                     << ", has " << room.width() << "×" << room.height();
  }
}

// The visible controls directly on each of the parents, against each other.
void ExpectNoOverlap(std::initializer_list<QWidget*> parents, QWidget& window) {
  std::vector<QWidget*> controls;
  for (QWidget* parent : parents) {
    for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      // The tab strip and the page frames hold the others.
      if (child->isVisibleTo(&window) && !child->inherits("QTabWidget") && child->objectName() != "Flayer_1" &&
          child->objectName() != "Flayer_2" && child->objectName() != "Flayer_3") {
        controls.push_back(child);
      }
    }
  }
  for (std::size_t i = 0; i < controls.size(); ++i) {
    for (std::size_t j = i + 1; j < controls.size(); ++j) {
      EXPECT_FALSE(Taken(*controls[i], window).intersects(Taken(*controls[j], window)))
          << controls[i]->objectName().toStdString() << " and " << controls[j]->objectName().toStdString();
    }
  }
}

QString ExpectedFamily() {
  return qEnvironmentVariableIsSet("PB_EXPECTED_FONT") ? qEnvironmentVariable("PB_EXPECTED_FONT")
                                                         : QStringLiteral("Liberation Sans");
}

class CaptionFitTest : public WindowTest {
 protected:
  // Shows everything that can be shown at once: the target pair and the size
  // controls as well.
  Form1& FullWindow() {
    Form1& window = Window();
    Find<QRadioButton>("Opt_1")->click();
    Find<QCheckBox>("Chk_0")->click();
    return window;
  }
};

TEST_F(CaptionFitTest, TheWindowSetsItsTextInTheExpectedFont) {
  FullWindow();
  for (const char* name : {"Tip_0", "Command1_3", "Label1"}) {
    const QFont font = Find<QWidget>(name)->font();
    EXPECT_EQ(QFontInfo(font).family(), ExpectedFamily()) << name;
    // Arial's metric twin is set at the size the layout was measured for.
    if (ExpectedFamily() == "Liberation Sans") {
      EXPECT_DOUBLE_EQ(font.pointSizeF(), 8.25) << name;
    }
  }
}

TEST_F(CaptionFitTest, EveryCaptionFitsItsControlAndNoTextsOverlap) {
  const struct {
    int page;  // 0: the right-hand column
    const char* control;
  } captions[] = {
      {0, "Command1_2"}, {0, "Command1_0"}, {0, "Command1_1"},
      {1, "Tip_0"},      {1, "Tip_1"},      {1, "Opt_0"},      {1, "Opt_1"},
      {1, "Tip_5"},      {1, "Tip_3"},      {1, "Command1_3"}, {2, "Tip_4"},
      {2, "Tip_11"},     {2, "RestoreInfoLabel"},              {2, "Tip_2"},
      {2, "Tip_10"},     {2, "Command1_5"}, {3, "Tip_8"},      {3, "Chk_0"},
      {3, "Label1"},     {3, "UnitList"},   {3, "Tip_6"},      {3, "Chk_2"},
  };
  Form1& window = FullWindow();
  for (int page = 1; page <= 3; ++page) {
    ClickTab(page - 1);
    SCOPED_TRACE(page);
    for (const auto& caption : captions) {
      if (caption.page == page || caption.page == 0) ExpectCaptionsFit(*Find<QWidget>(caption.control));
    }
    ExpectNoOverlap({window.centralWidget(), Find<QWidget>(QStringLiteral("Flayer_%1").arg(page))}, window);
  }
}

// The Part's "Sicherungs- satzes" reads as one word: hyphenated only where a
// line ends in it.
TEST_F(CaptionFitTest, ABrokenWordIsHyphenatedOnlyAtALineEnd) {
  const struct {
    const char* tip;
    const char* head;
    const char* tail;
  } words[] = {{"Tip_5", "Sicherungs", "satzes"}, {"Tip_10", "Wieder", "herstellung"}};
  Window();
  for (const auto& word : words) {
    SCOPED_TRACE(word.tip);
    auto* tip = Find<QLabel>(word.tip);
    EXPECT_FALSE(tip->text().contains("- "));
    QTextLayout layout(tip->text(), tip->font());
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(tip->contentsRect().width());
      lines << tip->text().mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    const QString joined = QString::fromUtf8(word.head) + QString::fromUtf8(word.tail);
    const QString broken = QString::fromUtf8(word.head) + QChar(0x00AD);
    bool found = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
      if (QString(lines[i]).remove(QChar(0x00AD)).contains(joined)) found = true;
      if (lines[i].endsWith(broken) && i + 1 < lines.size() && lines[i + 1].startsWith(word.tail)) found = true;
    }
    EXPECT_TRUE(found) << lines.join(" | ").toStdString();
  }
}

TEST_F(CaptionFitTest, EverySetSummaryFitsBesideTheDescription) {
  Form1& window = FullWindow();
  ClickTab(1);
  for (const char* summary : {"(Kein Archiv in diesem Verzeichnis gefunden)", "(2147483647 Dateien, V1.1)"}) {
    SCOPED_TRACE(summary);
    window.SetRestoreInfo(summary);
    ExpectCaptionsFit(*Find<QWidget>("RestoreInfoLabel"));
    ExpectNoOverlap({Find<QWidget>("Flayer_2")}, window);
  }
}

TEST_F(CaptionFitTest, TheAboutWindowsTextsFit) {
  InfoForm info(shell_);
  QTimer::singleShot(0, &info, [&] {
    for (const char* name : {"Label_0", "Btn_0", "Btn_1", "Btn_2"}) {
      auto* control = info.findChild<QWidget*>(name);
      ASSERT_NE(control, nullptr) << name;
      ExpectCaptionsFit(*control);
    }
    ExpectNoOverlap({&info}, info);
    info.accept();
  });
  info.main("Parcelbarge", "Transport großer Dateien leicht gemacht");
}

}  // namespace
}  // namespace pb::testing
