// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QWidget>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/files/results_reader.h"
#include "chart/line_series.h"
#include "chart/qt/chart_widget.h"
#include "wykres/results_loader.h"

class QMimeData;
class QProgressBar;
class QTimer;

namespace kolva::wykres {

// The chart window "WYKRES": one chart, Chart1, filling the client area,
// with the acquisition's two line series, Series1 (channel 1) and Series2
// (channel 2), in that order. Created hidden; the acquisition run shows it.
//
// It also shows recorded results files: a file dropped on the window, or
// chosen with Ctrl+O, replaces both series with its readings (x = the time
// column), resets the zoom and names the file and the measurement's date and
// time in the caption. The data lines load on a worker thread while a
// progress bar shows; the window stays responsive. Ctrl+S saves the picture
// as PNG, Ctrl+C copies it to the clipboard. Chart1's tooltip lists these
// keys and the drop.
class TForm2 : public QWidget {
  Q_OBJECT

 public:
  // Window position and size with its frame, and the client area Chart1
  // fills.
  static constexpr int kLeft = 142;
  static constexpr int kTop = 67;
  static constexpr int kWidth = 485;
  static constexpr int kHeight = 337;
  static constexpr int kClientWidth = 477;
  static constexpr int kClientHeight = 310;

  explicit TForm2(QWidget* parent = nullptr);
  ~TForm2() override;

  chart::qt::ChartWidget& Chart1Widget() { return *chart1_; }
  chart::TChart& Chart1() { return chart1_->Chart(); }
  chart::TLineSeries& Series1() { return *series1_; }
  chart::TLineSeries& Series2() { return *series2_; }

  // Failures of the window's own handlers (opening, saving, a file that
  // stops reading) and of Chart1's go here; unset, they are dropped.
  void SetErrorHandler(std::function<void(std::exception_ptr)> handler);

  // Shows the results file at `path` in place of the run's points. A file
  // that does not open or is not a results file raises (IoError,
  // ResultsFileError) before anything changes; a data line that does not
  // read ends the load with an error and keeps the readings before it.
  // While a run feeds the chart it raises app::Error with kRunChartedText
  // and changes nothing. A hidden window is shown, a shown one raised.
  void OpenResultsFile(const QString& path);
  // Set while an acquisition run adds its readings to Chart1: a file shown
  // then would be joined to the run's points.
  void SetFedByRun(bool fed) { fedByRun_ = fed; }
  bool FedByRun() const { return fedByRun_; }
  // The one local file a drag carries, or an empty text: what a drop on
  // this window, or on the main window, opens.
  static QString DraggedFile(const QMimeData* data);
  // Chart1's tooltip.
  static constexpr const char* kKeysTip =
      "Ctrl+O  open a results file\n"
      "Ctrl+S  save the picture as PNG\n"
      "Ctrl+C  copy the picture to the clipboard\n"
      "Drop a results file here to show it";
  static constexpr const char* kRunChartedText =
      "A run is being charted; open the file after it ends.";
  // Back to the acquisition run: ends a load, gives back the caption
  // "WYKRES". Clearing Series1 outside a file load (as every run does at
  // its start) calls this by itself.
  void ShowRun();
  // The results file shown, empty while the window shows the run.
  const QString& ShownFile() const { return shownFile_; }
  bool Loading() const;
  QProgressBar& LoadProgress() { return *progress_; }
  // Appended to the caption, once, when a series' temporary file finds no
  // more room on its disk: the chart then stops taking points (a file's
  // load ends there) until the series are cleared by the next run or file.
  static constexpr const char* kChartFullText =
      " - chart full: the disk of its temporary files is full; the results file is complete";
  bool ChartFull() const { return chartFullShown_; }

  // The run's results file, whose name Ctrl+S offers with ".png".
  void SetResultsFileName(const QString& name) { resultsFileName_ = name; }
  // The name Ctrl+S offers: the shown file's, else the run's, as .png.
  QString DefaultPictureName() const;
  // Ctrl+O (refused before its dialog while a run feeds the chart), Ctrl+S
  // and Ctrl+C. The open dialog stands over `dialogParent` when given (the
  // main window opens files here too), else over this window.
  void OpenWithDialog(QWidget* dialogParent = nullptr);
  void SaveWithDialog();
  void CopyPicture();
  // Writes the picture to `path` as PNG; raises app::Error when it cannot.
  void SavePicture(const QString& path);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void LoadChart1();
  void LoadSeries(chart::TLineSeries& series, chart::TColor color);
  void AddShortcuts();
  void Guarded(const std::function<void()>& handler) { chart1_->Guarded(handler); }
  void TakeChunk(const ResultsLoader::Chunk& chunk, double done);
  void EndLoad(const std::string& failure);
  void PlaceProgress();
  void PaintWhileLoading(bool loading);
  void RefuseWhileFedByRun() const;
  void ShowChartFull();
  void DropChartFull();

  chart::qt::ChartWidget* chart1_ = nullptr;
  std::unique_ptr<chart::TLineSeries> series1_;
  std::unique_ptr<chart::TLineSeries> series2_;
  QProgressBar* progress_ = nullptr;
  QTimer* paintTimer_ = nullptr;
  std::unique_ptr<ResultsLoader> loader_;
  QString shownFile_;
  QString resultsFileName_ = "results.txt";
  bool clearingForFile_ = false;
  bool fedByRun_ = false;
  bool chartFullShown_ = false;
};

}  // namespace kolva::wykres
