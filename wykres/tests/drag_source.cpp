// SPDX-License-Identifier: MIT
// A window that starts a drag of one file (its first argument) when pressed:
// the other end of a drop on the chart window, as a file manager would be.
// It stays up after the drop (the target fetches the file's name from it
// when the drop arrives) and prints "taken" or "refused".
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {

class DragSource : public QWidget {
 public:
  explicit DragSource(QString file) : file_(std::move(file)) {
    setWindowTitle("drag source");
    setGeometry(700, 450, 160, 120);
  }

 protected:
  void mousePressEvent(QMouseEvent*) override {
    auto* drag = new QDrag(this);
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(file_)});
    drag->setMimeData(data);
    const Qt::DropAction done = drag->exec(Qt::CopyAction);
    std::printf("%s\n", done == Qt::IgnoreAction ? "refused" : "taken");
    std::fflush(stdout);
  }

 private:
  QString file_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) return 2;
  DragSource source(QString::fromLocal8Bit(argv[1]));
  source.show();
  return app.exec();
}
