// SPDX-License-Identifier: GPL-3.0-or-later
// A second program for the real drag test: a small window at x, y that starts
// dragging the given files as a list of file addresses when the mouse is
// pressed on it, as a file manager does. It prints "ready" once it is shown
// and "dropped: <action>" when the drag ends, and runs until it is ended.
//   drag_source <x> <y> <file>...
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {

class DragSource : public QWidget {
 public:
  explicit DragSource(QList<QUrl> files) : files_(std::move(files)) {}

 protected:
  void mousePressEvent(QMouseEvent*) override {
    auto* drag = new QDrag(this);
    auto* files = new QMimeData;
    files->setUrls(files_);
    drag->setMimeData(files);
    const Qt::DropAction done = drag->exec(Qt::CopyAction);
    // The target fetches the data after the drop: stay until ended.
    std::printf("dropped: %d\n", static_cast<int>(done));
    std::fflush(stdout);
  }

 private:
  QList<QUrl> files_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: drag_source <x> <y> <file>...\n");
    return 2;
  }
  QList<QUrl> files;
  for (int i = 3; i < argc; ++i) files << QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i]));
  DragSource source(files);
  source.setWindowTitle(QStringLiteral("drag source"));
  source.setGeometry(QString::fromLocal8Bit(argv[1]).toInt(), QString::fromLocal8Bit(argv[2]).toInt(), 120, 80);
  source.show();
  QTimer::singleShot(200, [] {
    std::printf("ready\n");
    std::fflush(stdout);
  });
  return QApplication::exec();
}
