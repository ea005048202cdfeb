// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QUrl>
#include <functional>
#include <QPushButton>

#include "window_fixture.h"

namespace pb::testing {
namespace {

class SelectionListTest : public WindowTest {
 protected:
  std::filesystem::path MakeFile(const std::string& relative) {
    const std::filesystem::path file = Root('C') / relative;
    WriteFile(file, "x");
    return file;
  }
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

}  // namespace
}  // namespace pb::testing
