// SPDX-License-Identifier: MIT
// Writes the chart window's picture, drawn offscreen through the Qt canvas,
// for a set of looks at 10^3 .. 10^6 points per series, so that two builds'
// pictures can be compared byte for byte (cmp) after a change that must not
// change a pixel.
// Usage: chart_picture_tool FOLDER [POINTS...]
#include <QApplication>
#include <QImage>
#include <QString>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "chart_readings.h"
#include "wykres/chart_picture.h"
#include "wykres/form2.h"

namespace {

using kolva::chart::mbLeft;
using kolva::chart::mbRight;
using kolva::wykres::TForm2;

struct Look {
  const char* name;
  QSize size;
  std::function<void(TForm2&)> before;  // settings before the first picture
  std::function<void(TForm2&)> after;   // mouse work on the first picture
};

// A drag by the mouse at window pixels, as the widget forwards it.
void Drag(TForm2& form, kolva::chart::TMouseButton button, int x0, int y0, int x1, int y1) {
  auto& mouse = form.Chart1().Mouse();
  mouse.MouseDown(button, 0, x0, y0);
  mouse.MouseMove(0, (x0 + x1) / 2, (y0 + y1) / 2);
  mouse.MouseMove(0, x1, y1);
  mouse.MouseUp(button, 0, x1, y1);
}

std::vector<Look> Looks() {
  const QSize window(TForm2::kClientWidth, TForm2::kClientHeight);
  auto none = [](TForm2&) {};
  return {
      {"window", window, none, none},
      {"title", window,
       [](TForm2& f) {
         f.Chart1().Title().SetText({"Two lines", "of title"});
         f.Chart1().Title().SetAlignment(kolva::chart::taLeftJustify);
       },
       none},
      {"vaxis", window, [](TForm2& f) { f.Chart1().LeftAxis().Title().SetCaption("U[mV]"); }, none},
      {"nolegend", window, [](TForm2& f) { f.Chart1().Legend().SetVisible(false); }, none},
      {"small", QSize(190, 120), none, none},
      {"zoomed", window, none, [](TForm2& f) { Drag(f, mbLeft, 120, 80, 300, 220); }},
      {"panned", window, none, [](TForm2& f) { Drag(f, mbRight, 250, 150, 228, 171); }},
  };
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: chart_picture_tool FOLDER [POINTS...]\n", stderr);
    return 2;
  }
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  std::vector<int> counts = {1000, 10000, 100000, 1000000};
  if (argc > 2) {
    counts.clear();
    for (int i = 2; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  int written = 0;
  for (int n : counts) {
    for (const Look& look : Looks()) {
      TForm2 form;
      look.before(form);
      kolva::bench::AddSimulatedReadings(form, n);
      QImage image = kolva::wykres::RenderChartPicture(form, look.size);
      look.after(form);
      image = kolva::wykres::RenderChartPicture(form, look.size);
      const QString path = QString("%1/%2_%3.png").arg(folder, look.name).arg(n);
      if (!image.save(path)) {
        std::fprintf(stderr, "chart_picture_tool: %s could not be written\n",
                     path.toLocal8Bit().constData());
        return 1;
      }
      ++written;
    }
  }
  std::printf("chart_picture_tool: %d pictures in %s\n", written, argv[1]);
  return 0;
}
