// SPDX-License-Identifier: MIT
// The kolva program: the main window on the card that KOLVA_CARD chooses;
// a results file given as the one argument is shown in the chart window.
#include <QApplication>
#include <QFile>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/run/acquisition_run.h"
#include "app/run/wall_clock.h"
#include "app/ui/chart_window_guard.h"
#include "app/ui/close_on_signal.h"
#include "app/ui/command_line.h"
#include "app/ui/error_box.h"
#include "app/ui/guard.h"
#include "app/ui/main_window.h"
#include "app/ui/results_chart_adapter.h"
#include "platform/clock.h"
#include "platform/launcher.h"
#include "platform/locale_settings.h"
#include "platform/port_bus.h"
#include "platform/scan_code_latch.h"
#include "platform/standard_descriptors.h"
#include "platform/x11_keyboard_port.h"
#include "wykres/form2.h"

int main(int argc, char* argv[]) {
  using namespace kolva;
  // A closed standard descriptor would be taken by the next file opened (a
  // results file, or the toolkit's own) and written as output or error.
  platform::OpenClosedStandardDescriptors();
  // A results file whose reader went away fails its write with an I/O error
  // that ends the run keeping every line, instead of killing the program.
  ::signal(SIGPIPE, SIG_IGN);
  const ui::CommandLine commandLine =
      ui::ParseCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  if (commandLine.action == ui::CommandLine::Action::kUsage) {
    std::fputs(ui::kUsageText, stdout);
    return 0;
  }
  if (commandLine.action == ui::CommandLine::Action::kFail) {
    std::fputs(commandLine.message.c_str(), stderr);
    return 2;
  }
  // Qt sees the program's name only: no argument changes what it does.
  int qtArgc = argc > 0 ? 1 : 0;
  QApplication application(qtArgc, argv);
  // SIGTERM, SIGINT and SIGHUP close the main window, from the event loop
  // below; one that arrives during start-up waits for it. Without the
  // route (no pipe to be had) they end the program as before.
  std::unique_ptr<ui::CloseOnSignal> signalRoute;
  ui::Guarded([&signalRoute] { signalRoute = std::make_unique<ui::CloseOnSignal>(); });
  platform::SetCurrentLocale(platform::ReadUserLocale());

  platform::SystemClock clock;
  platform::ScanCodeLatch latch;
  platform::X11KeyboardPort keyboard(clock, latch);
  std::unique_ptr<platform::PortBus> bus;
  try {
    bus = platform::MakePortBusFromEnvironment(clock);
  } catch (const std::exception& error) {
    ui::ShowErrorBox(ui::DisplayText(error.what()));
    return 1;
  }

  ui::TForm1 form(
      {*bus, clock, keyboard, &latch, [] { platform::LaunchProgram("probecard"); }, ""});
  ui::Form1 = &form;
  ui::Guarded([&form] { form.FormCreate(); });
  // The chart window, hidden until a run shows it.
  wykres::TForm2 chart;
  ui::GuardChartWindow(chart);
  // ACQUISITION START: the run samples on a thread of its own, created for
  // each run after the port grant above; the window plots what it took.
  ui::ResultsChartAdapter resultsChart(chart);
  app::Sampler sampler(*bus, clock, keyboard, app::LocalNow);
  app::AcquisitionRun run(form.Card(), sampler, form, &resultsChart);
  form.SetAcquisitionRun(&run);
  form.SetChartWindow(&chart);
  // Closing the main window ends the program, the chart window with it.
  QObject::connect(&form, &ui::TForm1::Closed, &chart, [&chart] {
    chart.close();
    QCoreApplication::quit();
  });
  form.show();
  // The command line's file, once the event loop has the main window up; a
  // file that does not open is named on stderr beside its error box.
  if (!commandLine.resultsFile.empty()) {
    QTimer::singleShot(0, &form, [&form, &commandLine] {
      ui::Guarded([&form, &commandLine] {
        try {
          form.OpenResultsFile(QFile::decodeName(commandLine.resultsFile.c_str()));
        } catch (const std::exception& error) {
          std::fputs(
              ("kolva: " + commandLine.resultsFile + ": " + ui::DisplayText(error.what()) + "\n")
                  .c_str(),
              stderr);
          throw;
        }
      });
    });
  }
  if (signalRoute) signalRoute->Listen([&form] { return form.close(); });
  return application.exec();
}
