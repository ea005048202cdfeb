// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>

#include "window/file_list_box.h"

#include "window_fixture.h"

namespace pb::testing {
namespace {

// Answers the "add" commands in place of the file dialogs.
class ScriptedChooser : public FileChooser {
 public:
  QStringList Files(QWidget&) override { return std::exchange(files, {}); }
  QString Directory(QWidget&) override { return std::exchange(directory, {}); }
  QStringList files;
  QString directory;
};

QString Native(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

class SelectionListTest : public WindowTest {
 protected:
  std::filesystem::path MakeFile(const std::string& relative) {
    const std::filesystem::path file = Root('C') / relative;
    WriteFile(file, "x");
    return file;
  }
  FileListBox* List() { return Find<FileListBox>(QStringLiteral("FileList")); }

  // Opens the list's context menu as the menu key does, notes its entries
  // and picks the one named (none: closes it with Escape).
  std::vector<std::pair<std::string, bool>> UseMenu(const QString& pick = {}) {
    std::vector<std::pair<std::string, bool>> entries;
    QTimer::singleShot(0, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      ASSERT_NE(menu, nullptr);
      for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) entries.emplace_back(action->text().toStdString(), action->isEnabled());
      }
      // Down the menu to the entry, then Return, as a keyboard user does.
      for (QAction* action = menu->activeAction(); !pick.isEmpty() && (!action || action->text() != pick);
           action = menu->activeAction()) {
        QTest::keyClick(menu, Qt::Key_Down);
      }
      QTest::keyClick(menu, pick.isEmpty() ? Qt::Key_Escape : Qt::Key_Return);
    });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QApplication::sendEvent(List(), &event);
    return entries;
  }
  void Paste(QMimeData* data) {
    QGuiApplication::clipboard()->setMimeData(data);
    QTest::keyClick(List(), Qt::Key_V, Qt::ControlModifier);
  }

  void PasteLines(const std::vector<std::filesystem::path>& paths, const std::function<QString(const QString&)>& line) {
    auto* data = new QMimeData;
    QString text;
    for (const auto& path : paths) text += line(Native(path));
    data->setText(text);
    Paste(data);
  }

  ScriptedChooser chooser_;
};

TEST_F(SelectionListTest, DroppedFilesAreListedInDriveFormInDropOrder) {
  Window();
  DropFiles({MakeFile("Daten/b.txt"), MakeFile("Daten/a.txt")});
  EXPECT_EQ(ListEntries(), (std::vector<std::string>{"C:\\Daten\\b.txt", "C:\\Daten\\a.txt"}));
  // A second drop appends, duplicates and all.
  DropFiles({Root('C') / "Daten/b.txt"});
  EXPECT_EQ(ListEntries(),
            (std::vector<std::string>{"C:\\Daten\\b.txt", "C:\\Daten\\a.txt", "C:\\Daten\\b.txt"}));
  EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(SelectionListTest, ADroppedTreeListsItsFilesThenItsSubtreesLastFoundFirst) {
  Window();
  MakeFile("Baum/a");
  MakeFile("Baum/b");
  MakeFile("Baum/s1/x");
  MakeFile("Baum/s1/tief/y");
  MakeFile("Baum/s2/z");
  MakeFile("Baum/.versteckt/w");
  std::filesystem::create_directories(Root('C') / "Baum/leer");
  const int yieldsBefore = host_.yields;
  bool busy = true;
  host_.onYield = [&](int) {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    busy = busy && cursor != nullptr && cursor->shape() == Qt::WaitCursor;
  };
  DropFiles({Root('C') / "Baum"});
  EXPECT_EQ(ListEntries(), (std::vector<std::string>{"C:\\Baum\\a", "C:\\Baum\\b", "C:\\Baum\\s2\\z",
                                                     "C:\\Baum\\s1\\x", "C:\\Baum\\s1\\tief\\y"}));
  // The window stays alive: one yield per directory listed.
  EXPECT_EQ(host_.yields - yieldsBefore, 5);
  // A busy cursor while the walk runs, and none after it.
  EXPECT_TRUE(busy);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(SelectionListTest, DataThatIsNoFileListIsRefusedWithAMessage) {
  Window();
  DropFiles({MakeFile("a.txt")});
  for (const auto& fill : std::vector<std::function<void(QMimeData&)>>{
           [](QMimeData& data) { data.setText("C:\\a.txt"); },
           [](QMimeData& data) { data.setImageData(QImage(4, 4, QImage::Format_RGB32)); },
           [](QMimeData& data) { data.setUrls({QUrl("https://example.org/a.txt")}); },
       }) {
    boxes_.Then(BoxButton::Ok);
    QMimeData data;
    fill(data);
    Drop(data);
    ASSERT_FALSE(boxes_.shown().empty());
    EXPECT_EQ(boxes_.shown().back().text, "Bitte nur Datei- und Verzeichnisnamen in die Liste ziehen.");
    EXPECT_EQ(boxes_.shown().back().icon, BoxIcon::Information);
  }
  EXPECT_EQ(boxes_.shown().size(), 3u);
  EXPECT_EQ(ListEntries(), (std::vector<std::string>{"C:\\a.txt"}));
}

TEST_F(SelectionListTest, ANameWithAQuestionMarkIsSkippedWithOneMessage) {
  Window();
  boxes_.Then(BoxButton::Ok);
  DropFiles({MakeFile("eins"), MakeFile("zw?ei"), MakeFile("drei")});
  ASSERT_EQ(boxes_.shown().size(), 1u);
  EXPECT_EQ(boxes_.shown()[0].text,
            "Der Verzeichnisname 'C:\\zw?ei'\renthält ungültige Zeichen und wird daher nicht berücksichtigt.");
  EXPECT_EQ(boxes_.shown()[0].icon, BoxIcon::None);
  EXPECT_EQ(ListEntries(), (std::vector<std::string>{"C:\\eins", "C:\\drei"}));
}

TEST_F(SelectionListTest, TheCrossButtonEmptiesTheList) {
  Form1& window = Window();
  DropFiles({MakeFile("a"), MakeFile("b")});
  Find<QPushButton>("Command1_4")->click();
  EXPECT_TRUE(ListEntries().empty());
  EXPECT_EQ(window.FileCount(), 0);
}

// Every way of adding names gives them the checks of a drop: "?" names are
// reported and skipped, directories are walked. A directory whose own name
// no set could store is walked by a drive of its own, which the drive lists
// do not show.
TEST_F(SelectionListTest, EveryWayOfAddingChecksNamesAsADropDoes) {
  const struct {
    const char* way;
    std::function<void(const std::vector<std::filesystem::path>&)> add;
  } ways[] = {
      {"drop", [this](const auto& paths) { DropFiles(paths); }},
      {"menu: files",
       [this](const auto& paths) {
         for (const auto& path : paths) chooser_.files << Native(path);
         UseMenu(QString::fromUtf8("Dateien hinzufügen …"));
       }},
      {"paste: file addresses",
       [this](const auto& paths) {
         auto* data = new QMimeData;
         QList<QUrl> urls;
         for (const auto& path : paths) urls << QUrl::fromLocalFile(Native(path));
         data->setUrls(urls);
         Paste(data);
       }},
      {"paste: file addresses as text",
       [this](const auto& paths) { PasteLines(paths, [](const QString& path) { return QUrl::fromLocalFile(path).toString() + "\n"; }); }},
      {"paste: paths as text",
       [this](const auto& paths) { PasteLines(paths, [](const QString& path) { return path + "\r\n"; }); }},
  };
  MakeFile("Baum/a");
  MakeFile("Baum/s/b");
  MakeFile("\xce\x91\xcf\x81\xcf\x87\xce\xb5\xce\xaf\xce\xb1/c");
  const std::vector<std::filesystem::path> added = {MakeFile("eins"), MakeFile("zw?ei"), Root('C') / "Baum",
                                                    Root('C') / "\xce\x91\xcf\x81\xcf\x87\xce\xb5\xce\xaf\xce\xb1"};
  Window().SetFileChooser(chooser_);
  for (const auto& way : ways) {
    SCOPED_TRACE(way.way);
    List()->clear();
    boxes_.Then(BoxButton::Ok);
    const std::size_t shown = boxes_.shown().size();
    way.add(added);
    EXPECT_EQ(ListEntries(), (std::vector<std::string>{"C:\\eins", "C:\\Baum\\a", "C:\\Baum\\s\\b", "Z:\\c"}));
    ASSERT_EQ(boxes_.shown().size(), shown + 1);
    EXPECT_EQ(boxes_.shown().back().text,
              "Der Verzeichnisname 'C:\\zw?ei'\renthält ungültige Zeichen und wird daher nicht berücksichtigt.");
  }
  for (int pair : {0, 1}) {
    QComboBox* list = Drives(pair);
    list->showPopup();  // opening the list reads the drives again
    list->hidePopup();
    EXPECT_EQ(list->findText("z:", Qt::MatchStartsWith), -1);
    EXPECT_EQ(list->findText("c:", Qt::MatchStartsWith), 1);
  }
}

TEST_F(SelectionListTest, TheMenuAddsADirectoryTreeAndRemovesTheSelectedEntries) {
  Form1& window = Window();
  window.SetFileChooser(chooser_);
  MakeFile("Baum/a");
  MakeFile("Baum/s/b");
  // Nothing selected yet: nothing to remove.
  const std::vector<std::pair<std::string, bool>> entries = UseMenu();
  EXPECT_EQ(entries, (std::vector<std::pair<std::string, bool>>{
                         {"Dateien hinzufügen …", true}, {"Verzeichnis hinzufügen …", true}, {"Ausgewählte entfernen", false}}));

  chooser_.directory = Native(Root('C') / "Baum");
  UseMenu(QString::fromUtf8("Verzeichnis hinzufügen …"));
  // A cancelled dialog adds nothing.
  UseMenu(QString::fromUtf8("Verzeichnis hinzufügen …"));
  UseMenu(QString::fromUtf8("Dateien hinzufügen …"));
  EXPECT_EQ(ListEntries(), (std::vector<std::string>{"C:\\Baum\\a", "C:\\Baum\\s\\b"}));

  List()->item(0)->setSelected(true);
  EXPECT_TRUE(UseMenu()[2].second);
  UseMenu("Ausgewählte entfernen");
  EXPECT_EQ(ListEntries(), (std::vector<std::string>{"C:\\Baum\\s\\b"}));
  EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(SelectionListTest, DeleteRemovesTheSelectedEntriesAndShiftF10OpensTheMenu) {
  Window();
  DropFiles({MakeFile("a"), MakeFile("b"), MakeFile("c")});
  List()->item(0)->setSelected(true);
  List()->item(2)->setSelected(true);
  QTest::keyClick(List(), Qt::Key_Delete);
  EXPECT_EQ(ListEntries(), std::vector<std::string>{"C:\\b"});

  bool opened = false;
  QTimer::singleShot(0, [&] {
    opened = QApplication::activePopupWidget() != nullptr;
    if (opened) QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
  });
  QTest::keyClick(List(), Qt::Key_F10, Qt::ShiftModifier);
  EXPECT_TRUE(opened);
}

TEST_F(SelectionListTest, PastingWhatNamesNoFilesOnlyBeeps) {
  Window();
  for (const QString& text : {QStringLiteral("Hallo"), QStringLiteral("/tmp\nHallo"), QStringLiteral("relativ/pfad")}) {
    auto* data = new QMimeData;
    data->setText(text);
    Paste(data);
  }
  auto* web = new QMimeData;
  web->setUrls({QUrl("https://example.org/a.txt")});
  Paste(web);
  EXPECT_EQ(host_.beeps, 4);
  EXPECT_TRUE(ListEntries().empty());
  EXPECT_TRUE(boxes_.shown().empty());
}

}  // namespace
}  // namespace pb::testing
