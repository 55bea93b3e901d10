// SPDX-License-Identifier: MIT
#include "wykres/form2.h"

#include <QFont>
#include <QPalette>
#include <QProgressBar>
#include <QVBoxLayout>

#include "app/text/textconv.h"
#include "wykres/results_loader.h"

namespace kolva::wykres {
namespace {

using namespace kolva::chart;

const char* const kTitleLine =
    "Press mouse left button, draw down to zoom, up to redraw,  right button to pan ";
const char* const kFootLine = "RED  -  INPUT 1      WHITE  -  INPUT 2 ";

void SetTitleFont(TFont& font, TColor color, TFontStyles style) {
  font.SetName("Arial");
  font.SetHeight(-13);
  font.SetColor(color);
  font.SetStyle(style);
  font.SetCharset(DEFAULT_CHARSET);
}

}  // namespace

TForm2::TForm2(QWidget* parent) : QWidget(parent) {
  setWindowTitle("WYKRES");
  QFont font("MS Sans Serif");
  font.setPixelSize(11);
  setFont(font);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, QColor(qt::ToQRgb(clBtnFace)));
  setPalette(palette);
  move(kLeft, kTop);
  resize(kClientWidth, kClientHeight);

  chart1_ = new qt::ChartWidget(this);
  // The chart's value texts use the application's picture formatter.
  chart1_->Chart().SetValueFormatter(app::FloatPatternText);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(chart1_);
  chart1_->setGeometry(0, 0, kClientWidth, kClientHeight);
  chart1_->SyncBounds();
  LoadChart1();
  chart1_->setToolTip(kKeysTip);

  // A run clears its series at its start: the window goes back to the run.
  series1_->OnClearValues = [this](TChartSeries&) {
    DropChartFull();
    if (!clearingForFile_) ShowRun();
  };
  series1_->OnStorageFull = series2_->OnStorageFull = [this](TChartSeries&) { ShowChartFull(); };
  progress_ = new QProgressBar(this);
  progress_->setRange(0, 1000);
  progress_->setTextVisible(true);
  progress_->hide();
  loader_ = std::make_unique<ResultsLoader>(
      *this,
      [this](const ResultsLoader::Chunk& chunk) {
        TakeChunk(chunk, chunk.fileSize ? double(chunk.bytesRead) / chunk.fileSize : 1.0);
      },
      [this](const std::string& failure) { EndLoad(failure); });
  setAcceptDrops(true);
  AddShortcuts();
}

TForm2::~TForm2() {
  // The loader's worker ends before the series it fills go away.
  loader_.reset();
  series1_->OnClearValues = nullptr;
}

void TForm2::LoadChart1() {
  TChart& chart = Chart1();
  chart.BeginLoading();
  chart.SetColor(clTeal);
  chart.SetBevelOuter(bvLowered);
  chart.SetBevelWidth(4);
  chart.SetBevelInner(bvNone);
  chart.SetBorderWidth(1);
  chart.SetBorderStyle(bsSingle);
  chart.SetView3D(false);
  chart.SetView3DWalls(false);
  chart.BackWall().Brush().SetStyle(bsClear);
  chart.Title().SetText({kTitleLine});
  SetTitleFont(chart.Title().Font(), clBlue, 0);
  chart.Foot().SetText({kFootLine});
  SetTitleFont(chart.Foot().Font(), clSilver, fsItalic);
  chart.BottomAxis().Title().SetCaption("t[s]");
  chart.Legend().SetLegendStyle(lsLastValues);
  series1_ = std::make_unique<TLineSeries>("Series1");
  series2_ = std::make_unique<TLineSeries>("Series2");
  LoadSeries(*series1_, clRed);
  LoadSeries(*series2_, clGreen);
  chart.EndLoading();
}

void TForm2::ShowChartFull() {
  if (!chartFullShown_) {
    chartFullShown_ = true;
    setWindowTitle(windowTitle() + kChartFullText);
  }
  // Once neither series takes points, the rest of a file is not read.
  if (series1_->StorageFull() && series2_->StorageFull() && loader_->Busy()) {
    loader_->Cancel();
    EndLoad({});
  }
}

void TForm2::DropChartFull() {
  if (!chartFullShown_) return;
  chartFullShown_ = false;
  QString caption = windowTitle();
  if (caption.endsWith(kChartFullText)) caption.chop(QString(kChartFullText).size());
  setWindowTitle(caption);
}

void TForm2::LoadSeries(TLineSeries& series, TColor color) {
  series.Marks().Visible = false;
  series.SetSeriesColor(color);
  series.XValues().SetName("X");
  series.XValues().SetOrder(loAscending);
  series.XValues().SetDateTime(false);
  series.XValues().SetMultiplier(1.0);
  series.YValues().SetName("Y");
  series.YValues().SetOrder(loNone);
  series.YValues().SetDateTime(false);
  series.YValues().SetMultiplier(1.0);
  series.SetParentChart(&Chart1());
}

}  // namespace kolva::wykres
