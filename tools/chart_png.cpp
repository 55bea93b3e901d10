// SPDX-License-Identifier: MIT
#include "tools/chart_png.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "app/ui/results_chart_adapter.h"
#include "wykres/chart_picture.h"
#include "wykres/form2.h"
#include "wykres/picture_file.h"

namespace kolva::tools {
namespace {

char programName[] = "kolva-record";
char* programArgv[] = {programName, nullptr};
int programArgc = 1;

// Qt's own notes (a missing runtime folder and the like) are not the
// recorder's messages; its critical and fatal ones still reach stderr, as
// the recorder's.
void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    std::fputs(("kolva-record: " + message.toLocal8Bit() + "\n").constData(), stderr);
  }
}

// Set before the application object exists, so Qt never opens a display.
int ChooseOffscreen() {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  qInstallMessageHandler(QuietQt);
  return programArgc;
}

}  // namespace

struct ChartPng::Parts {
  int argc = ChooseOffscreen();
  QApplication application{argc, programArgv};
  wykres::TForm2 form;
  ui::ResultsChartAdapter chart{form};
};

ChartPng::ChartPng() : parts_(std::make_unique<Parts>()) {}
ChartPng::~ChartPng() = default;

app::ResultsChart& ChartPng::Chart() {
  return parts_->chart;
}

std::string ChartPng::ShowResultsFile(const std::string& path) {
  std::string failure;
  parts_->form.SetErrorHandler([&failure](std::exception_ptr error) {
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      failure = e.what();
    }
  });
  parts_->form.OpenResultsFile(QFile::decodeName(QByteArray::fromStdString(path)));
  // The window loads on a worker thread that posts its chunks here.
  while (parts_->form.Loading()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  parts_->form.SetErrorHandler({});
  return failure;
}

std::string ChartPng::Save(const std::string& path, int width, int height) {
  const QImage picture = wykres::RenderChartPicture(parts_->form, QSize(width, height));
  return wykres::SavePictureFile(picture, QFile::decodeName(QByteArray::fromStdString(path)), "PNG")
      .toLocal8Bit()
      .toStdString();
}

bool ChartPng::Full() const {
  return parts_->form.ChartFull();
}

}  // namespace kolva::tools
