// SPDX-License-Identifier: GPL-3.0-or-later
// The window as a screen reader receives it: Qt's accessibility tree, walked
// from the window down.
#include <QAccessible>
#include <QLabel>
#include <QTabWidget>
#include <functional>
#include <map>

#include "window_fixture.h"

namespace pb::testing {
namespace {

void Walk(QAccessibleInterface* node, const std::function<void(QAccessibleInterface*)>& visit) {
  visit(node);
  for (int i = 0; i < node->childCount(); ++i) Walk(node->child(i), visit);
}

std::string Text(QAccessibleInterface* node, QAccessible::Text text) { return node->text(text).toStdString(); }

// What a reader says a control is: its own name, except for a drop-down
// list, whose name is its entry; that one is told by its caption.
std::string SpokenName(QAccessibleInterface* node) {
  if (node->role() != QAccessible::ComboBox) return Text(node, QAccessible::Name);
  const auto labels = node->relations(QAccessible::Label);
  return labels.empty() ? std::string() : Text(labels[0].first, QAccessible::Name);
}

// A control of the window's own, not a part Qt builds into one (the tab
// strip's scroll arrows, a drop-down's list).
bool OwnControl(QAccessibleInterface* node) {
  const QObject* parent = node->object() ? node->object()->parent() : nullptr;
  return parent && (parent->objectName().startsWith("Flayer_") || parent->objectName() == "Form1Client");
}

bool Interactive(QAccessible::Role role) {
  switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::List:
    case QAccessible::Tree:
    case QAccessible::Link:
    case QAccessible::ProgressBar:
    case QAccessible::PageTab:
      return true;
    default:
      return false;
  }
}

class AccessibilityTest : public WindowTest {
 protected:
  QAccessibleInterface* Root() { return QAccessible::queryAccessibleInterface(&Window()); }
};

TEST_F(AccessibilityTest, EveryControlIsNamedInGermanByItselfOrItsCaption) {
  const std::map<std::string, std::string> expected = {
      {"FileList", "Zu sichernde Dateien"},
      {"Command1_4", "Liste leeren"},
      {"Opt_0", "Auf Diskette in Laufwerk A:"},
      {"Opt_1", "Anderes Ziel festlegen ..."},
      {"DriveList_0", "Wohin soll die Sicherung erfolgen?"},
      {"DirList_0", "Zielverzeichnis der Sicherung"},
      {"ArchivBeschreibungTextBox_0", "Beschreibung dieses Sicherungssatzes (max. 500 Zeichen)"},
      {"Command1_3", "Sicherung starten"},
      {"DriveList_1", "Wählen Sie hier die Quelle des Sicherungssatzes aus:"},
      {"DirList_1", "Verzeichnis des Sicherungssatzes"},
      {"ArchivBeschreibungTextBox_1", "Beschreibung des gefundenen Sicherungssatzes"},
      {"DriveList_2", "Wohin soll die Sicherung erfolgen?"},
      {"DirList_2", "Zielverzeichnis der Wiederherstellung"},
      {"Command1_5", "Wiederherstellung starten"},
      {"Chk_0", "Größe der Teilblöcke selbst festlegen"},
      {"ZahlText", "Größe der Teilblöcke"},
      {"UnitList", "Einheit der Teilblockgröße"},
      {"Chk_2", "Sicherungsziel zuvor leeren"},
      {"pbar", "Fortschritt der Sicherung"},
      {"Command1_2", "Info"},
      {"Command1_0", "Hilfe"},
      {"Command1_1", "Abbrechen"},
      {"LogoImg", "Internet-Ausgabe des Herausgebers öffnen"},
  };
  std::map<std::string, std::string> spoken;
  std::vector<std::string> tabs;
  Walk(Root(), [&](QAccessibleInterface* node) {
    if (!Interactive(node->role())) return;
    if (node->role() == QAccessible::PageTab) {
      tabs.push_back(Text(node, QAccessible::Name));
    } else if (OwnControl(node)) {
      spoken[node->object()->objectName().toStdString()] = SpokenName(node);
    }
  });
  EXPECT_EQ(spoken, expected);
  EXPECT_EQ(tabs, (std::vector<std::string>{"Schreiben", "Lesen", "Optionen"}));
}

// Every caption on the pages is tied to the control it explains, so a reader
// can tell the control's purpose even where the control has a name of its own.
// (Lists have no such relation in Qt: they are named instead.)
TEST_F(AccessibilityTest, EveryCaptionLabelsItsControl) {
  const struct {
    const char* caption;
    const char* control;
  } captions[] = {
      {"Tip_1", "DriveList_0"}, {"Tip_5", "ArchivBeschreibungTextBox_0"},
      {"Tip_3", "Command1_3"}, {"Tip_4", "DriveList_1"}, {"Tip_11", "ArchivBeschreibungTextBox_1"},
      {"Tip_2", "DriveList_2"}, {"Tip_10", "Command1_5"}, {"Tip_8", "Chk_0"}, {"Label1", "ZahlText"},
      {"Tip_6", "Chk_2"},
  };
  Window();
  for (const auto& row : captions) {
    SCOPED_TRACE(row.control);
    QAccessibleInterface* control = QAccessible::queryAccessibleInterface(Find<QWidget>(row.control));
    const auto labels = control->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0].first->object()->objectName(), row.caption);
  }
}

// Pictures are passed by or say what they do; only the logo does anything.
TEST_F(AccessibilityTest, PicturesAreHiddenOrNamedAndTheLogoIsALink) {
  Window();
  int hidden = 0;
  Walk(Root(), [&](QAccessibleInterface* node) {
    if (node->role() != QAccessible::Graphic) return;
    SCOPED_TRACE(node->object()->objectName().toStdString());
    EXPECT_TRUE(node->state().invisible || !Text(node, QAccessible::Name).empty());
    hidden += node->state().invisible ? 1 : 0;
  });
  EXPECT_EQ(hidden, 11);  // ten bullets and the program icon
  QAccessibleInterface* logo = QAccessible::queryAccessibleInterface(Find<QLabel>("LogoImg"));
  EXPECT_EQ(logo->role(), QAccessible::Link);
  EXPECT_TRUE(logo->state().focusable);
  ASSERT_NE(logo->actionInterface(), nullptr);
  logo->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  ASSERT_EQ(shell_.opened.size(), 1u);
  EXPECT_EQ(shell_.opened[0].second, kShowNormal);
}

}  // namespace
}  // namespace pb::testing
