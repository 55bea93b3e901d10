// SPDX-License-Identifier: MIT
// The chart window's full paint beside QCustomPlot's painting the same job,
// in one process run: both series of N points (the simulated card's
// readings), autoscaled axes with labels and a title, a legend, a 477 x 310
// image. For each N both are painted in turn, several times; the medians of
// process CPU time and of wall time per paint are printed with the ratio.
// QCustomPlot is a peer for this measurement only.
#include <qcustomplot.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "app/run/results_chart.h"
#include "wykres/form2.h"

namespace {

using kolva::wykres::TForm2;

double Input1(int i) {
  const double t = i * 0.05;
  return static_cast<float>(700.0 * std::sin(t * 0.7) + 15.0 * std::sin(t * 31.0));
}
double Input2(int i) {
  return static_cast<float>(40.0 * std::fmod(i * 0.05, 10.0) - 200.0);
}

struct Times {
  double cpu = 0.0;
  double wall = 0.0;
};

double CpuNow() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

template <typename Paint>
Times TimeOne(Paint&& paint) {
  const double cpu = CpuNow();
  const auto wall = std::chrono::steady_clock::now();
  paint();
  return {CpuNow() - cpu,
          std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count()};
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void FillKolva(TForm2& form, int n) {
  form.Series1().ClearPoints();
  form.Series2().ClearPoints();
  for (int i = 0; i < n; ++i) {
    form.Series1().AddPoint(i * 0.05, Input1(i), {}, kolva::app::ResultsChart::kInput1Color);
    form.Series2().AddPoint(i * 0.05, Input2(i), {}, kolva::app::ResultsChart::kInput2Color);
  }
}

void SetUpPeer(QCustomPlot& plot, int n) {
  plot.clearGraphs();
  QVector<double> x(n), y1(n), y2(n);
  for (int i = 0; i < n; ++i) {
    x[i] = i * 0.05;
    y1[i] = Input1(i);
    y2[i] = Input2(i);
  }
  plot.addGraph()->setData(x, y1, true);
  plot.graph(0)->setPen(QPen(Qt::red));
  plot.graph(0)->setName("-272.192");
  plot.addGraph()->setData(x, y2, true);
  plot.graph(1)->setPen(QPen(Qt::white));
  plot.graph(1)->setName("198");
  plot.rescaleAxes();
}

void PreparePeer(QCustomPlot& plot) {
  plot.resize(TForm2::kClientWidth, TForm2::kClientHeight);
  plot.setBackground(QColor(0, 128, 128));
  plot.xAxis->setLabel("t[s]");
  plot.legend->setVisible(true);
  plot.plotLayout()->insertRow(0);
  plot.plotLayout()->addElement(
      0, 0, new QCPTextElement(&plot, "Press mouse left button, draw down to zoom, up to redraw"));
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  kolva::wykres::TForm2 form;
  auto& widget = form.Chart1Widget();
  widget.resize(TForm2::kClientWidth, TForm2::kClientHeight);
  widget.SyncBounds();
  QCustomPlot plot;
  PreparePeer(plot);
  QImage target(TForm2::kClientWidth, TForm2::kClientHeight, QImage::Format_RGB32);
  const int repeats = argc > 1 ? std::atoi(argv[1]) : 15;
  std::printf("%10s %12s %12s %12s %12s %8s\n", "points", "kolva cpu", "qcp cpu", "kolva wall",
              "qcp wall", "ratio");
  for (int n : {1000, 10000, 100000, 1000000, 10000000}) {
    FillKolva(form, n);
    SetUpPeer(plot, n);
    std::vector<double> kc, qc, kw, qw;
    for (int r = 0; r < repeats + 2; ++r) {
      const Times k = TimeOne([&] {
        form.Chart1().Invalidate();
        QPainter painter(&target);
        widget.render(&painter);
      });
      const Times q = TimeOne([&] {
        plot.replot(QCustomPlot::rpImmediateRefresh);
        QPainter painter(&target);
        plot.render(&painter);
      });
      if (r < 2) continue;  // the first paints warm caches and fonts
      kc.push_back(k.cpu);
      qc.push_back(q.cpu);
      kw.push_back(k.wall);
      qw.push_back(q.wall);
    }
    std::printf("%10d %9.3f ms %9.3f ms %9.3f ms %9.3f ms %8.2f\n", n, Median(kc) * 1e3,
                Median(qc) * 1e3, Median(kw) * 1e3, Median(qw) * 1e3, Median(kc) / Median(qc));
    std::fflush(stdout);
  }
  return 0;
}
