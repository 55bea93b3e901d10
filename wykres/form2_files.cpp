// SPDX-License-Identifier: MIT
// The chart window's files: results files shown in place of the run (by
// drop or Ctrl+O), and the picture saved (Ctrl+S) or copied (Ctrl+C).
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QProgressBar>
#include <QShortcut>
#include <QTimer>
#include <algorithm>

#include "app/text/errors.h"
#include "wykres/chart_picture.h"
#include "wykres/form2.h"
#include "wykres/picture_file.h"
#include "wykres/results_loader.h"

namespace kolva::wykres {
namespace {

constexpr const char* kCaption = "WYKRES";
constexpr int kProgressSteps = 1000;
constexpr int kLoadPaintIntervalMs = 250;

// Whole or not at all: a failed save leaves the older file, or none.
void SavePng(const QImage& picture, const QString& path) {
  const QString why = SavePictureFile(picture, path, "PNG");
  if (!why.isEmpty()) {
    throw app::Error("The picture could not be saved as " + QFile::encodeName(path).toStdString() +
                     " (" + why.toStdString() + ")");
  }
}

}  // namespace

QString TForm2::DraggedFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls() || data->urls().size() != 1) return {};
  const QUrl url = data->urls().front();
  return url.isLocalFile() ? url.toLocalFile() : QString();
}

void TForm2::SetErrorHandler(std::function<void(std::exception_ptr)> handler) {
  chart1_->SetErrorHandler(std::move(handler));
}

void TForm2::AddShortcuts() {
  auto bind = [this](QKeyCombination keys, std::function<void()> action) {
    auto* shortcut = new QShortcut(QKeySequence(keys), this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this,
            [this, action = std::move(action)] { Guarded(action); });
  };
  bind(Qt::CTRL | Qt::Key_O, [this] { OpenWithDialog(); });
  bind(Qt::CTRL | Qt::Key_S, [this] { SaveWithDialog(); });
  bind(Qt::CTRL | Qt::Key_C, [this] { CopyPicture(); });
}

void TForm2::RefuseWhileFedByRun() const {
  if (fedByRun_) throw app::Error(kRunChartedText);
}

void TForm2::OpenResultsFile(const QString& path) {
  RefuseWhileFedByRun();
  // Opened and its header read first: a file that is not one changes nothing.
  auto reader = std::make_unique<app::ResultsReader>(QFile::encodeName(path).toStdString());
  const app::ResultsHeader header = reader->Header();
  loader_->Cancel();
  clearingForFile_ = true;
  series1_->ClearPoints();
  series2_->ClearPoints();
  clearingForFile_ = false;
  chart::TChartZoom& zoom = Chart1().Zooming();
  if (zoom.Zoomed() || zoom.AxesSaved()) zoom.UndoZoom();
  shownFile_ = path;
  setWindowTitle(QString("%1 - %2 - %3 %4")
                     .arg(kCaption, QFileInfo(path).fileName(),
                          QString::fromLatin1(header.date.c_str()),
                          QString::fromLatin1(header.time.c_str())));
  progress_->setValue(0);
  PlaceProgress();
  progress_->show();
  progress_->raise();
  PaintWhileLoading(true);
  loader_->Start(std::move(reader));
  if (isHidden()) {
    show();
  } else {
    raise();
  }
}

void TForm2::ShowRun() {
  loader_->Cancel();
  PaintWhileLoading(false);
  progress_->hide();
  shownFile_.clear();
  setWindowTitle(kCaption);
}

bool TForm2::Loading() const {
  return loader_->Busy();
}

void TForm2::TakeChunk(const ResultsLoader::Chunk& chunk, double done) {
  bool taken = false;
  Guarded([&] {
    // The points a run would have added for these readings, in its colours.
    const std::size_t count = chunk.time.size();
    series1_->AddPoints(chunk.time.data(), chunk.input1.data(), count, 255);
    series2_->AddPoints(chunk.time.data(), chunk.input2.data(), count, 0xFFFFFF);
    taken = true;
  });
  if (!taken) {
    // One error box for the load, not one per chunk; what was added stays.
    loader_->Cancel();
    EndLoad({});
    return;
  }
  progress_->setValue(static_cast<int>(done * kProgressSteps));
}

void TForm2::EndLoad(const std::string& failure) {
  PaintWhileLoading(false);
  progress_->hide();
  // A file that stops reading is reported as any handler's error is.
  if (!failure.empty()) Guarded([&] { throw app::Error(failure); });
}

// While a file loads, every chunk would ask for a paint of all the points
// so far; the chart is painted on a timer instead, at most four times a
// second and never more than a fifth of the time, so that a slow paint of
// many points leaves the loading most of the thread.
void TForm2::PaintWhileLoading(bool loading) {
  if (paintTimer_ == nullptr) {
    paintTimer_ = new QTimer(this);
    paintTimer_->setInterval(kLoadPaintIntervalMs);
    connect(paintTimer_, &QTimer::timeout, this, [this] {
      QElapsedTimer took;
      took.start();
      chart1_->setUpdatesEnabled(true);
      chart1_->repaint();
      chart1_->setUpdatesEnabled(false);
      paintTimer_->setInterval(std::max<qint64>(kLoadPaintIntervalMs, 4 * took.elapsed()));
    });
  }
  chart1_->setUpdatesEnabled(!loading);
  if (loading) {
    paintTimer_->start(kLoadPaintIntervalMs);
  } else {
    paintTimer_->stop();
  }
}

void TForm2::PlaceProgress() {
  const int margin = 12;
  progress_->setGeometry(margin, height() - 30, width() - 2 * margin, 18);
}

void TForm2::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceProgress();
}

void TForm2::dragEnterEvent(QDragEnterEvent* event) {
  if (!DraggedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm2::dragMoveEvent(QDragMoveEvent* event) {
  if (!DraggedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm2::dropEvent(QDropEvent* event) {
  const QString path = DraggedFile(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  Guarded([&] { OpenResultsFile(path); });
}

QString TForm2::DefaultPictureName() const {
  const QFileInfo file(shownFile_.isEmpty() ? resultsFileName_ : shownFile_);
  const QString name = file.completeBaseName() + ".png";
  return shownFile_.isEmpty() ? name : file.dir().filePath(name);
}

void TForm2::OpenWithDialog(QWidget* dialogParent) {
  RefuseWhileFedByRun();
  QFileDialog dialog(dialogParent != nullptr ? dialogParent : this, "Open results file");
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters({"Results files (*.txt)", "All files (*)"});
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  OpenResultsFile(dialog.selectedFiles().front());
}

void TForm2::SaveWithDialog() {
  // The picture as it is when the key is pressed.
  const QImage picture = RenderChartPicture(*this);
  QFileDialog dialog(this, "Save picture");
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter("PNG pictures (*.png)");
  dialog.setDefaultSuffix("png");
  dialog.selectFile(DefaultPictureName());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  SavePng(picture, dialog.selectedFiles().front());
}

void TForm2::SavePicture(const QString& path) {
  SavePng(RenderChartPicture(*this), path);
}

void TForm2::CopyPicture() {
  QGuiApplication::clipboard()->setImage(RenderChartPicture(*this));
}

}  // namespace kolva::wykres
