// SPDX-License-Identifier: MIT
// The chart window on a private X server with real key presses and a real
// drag from another process: Ctrl+O opens a results file through the file
// dialog, Ctrl+S saves the picture through the save dialog, Ctrl+C copies
// it, and then a file dragged from another window and dropped is shown.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTimer>
#include <QtTest/QTest>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "app/text/textconv.h"
#include "app/ui/tests/x_session.h"
#include "chart/qt/tests/qt_app.h"
#include "wykres/chart_picture.h"
#include "wykres/form2.h"

namespace {

using namespace kolva::xsession;
using kolva::wykres::TForm2;

// A results file of a sine (input 1) and a ramp (input 2) at 1 ms.
void WriteResults(const fs::path& path, int lines, double amplitude) {
  std::ofstream out(path, std::ios::binary);
  out << "Date of the measurement - 07.03.2026\r\nTime of the measurement - 12:34:56\r\n \r\n \r\n"
         "Time between samples in seconds - 0.001\r\n \r\nMeasurement lenth in minutes - 1\r\n"
         " \r\n \r\nNR of the sample    INP1     INP2     TIME BASE\r\n \r\n";
  for (int n = 0; n < lines; ++n)
    out << n << "              "
        << kolva::app::FormatText("%2.3f", amplitude * std::sin(n * 0.0063)) << "    "
        << kolva::app::FormatText("%2.3f", (n % 3000) * 0.1) << "         "
        << kolva::app::FloatText(0.001L * n) << "\r\n";
}

class FilesEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OnPath("Xvfb") || !OnPath("xdotool")) GTEST_SKIP() << "needs Xvfb and xdotool";
    ASSERT_FALSE(display_.Name().empty()) << "Xvfb did not start";
    if (QApplication::instance() == nullptr) {
      ::setenv("QT_QPA_PLATFORM", "xcb", 1);
      ::setenv("DISPLAY", display_.Name().c_str(), 1);
      kolva::chart::qt::testing::EnsureQtApp();
    }
    folder_ = fs::temp_directory_path() / ("kolva_files_e2e_" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    form_ = std::make_unique<TForm2>();
    form_->SetErrorHandler([this](std::exception_ptr e) {
      try {
        std::rethrow_exception(e);
      } catch (const std::exception& x) {
        errors_.push_back(x.what());
      }
    });
    form_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    window_ = std::to_string(form_->winId());
  }
  void TearDown() override {
    form_.reset();
    fs::remove_all(folder_);
  }

  std::string Xdotool(const std::vector<std::string>& args) {
    return kolva::xsession::Xdotool(display_.Name(), args);
  }
  // Runs the event loop until `done` or 30 s.
  bool Pump(const std::function<bool()>& done) {
    const auto deadline = SteadyClock::now() + seconds(30);
    while (!done()) {
      if (SteadyClock::now() > deadline) return false;
      QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
  }
  // Presses `keys` in the chart window; once the modal dialog it opens is
  // up, `inDialog` runs (in the dialog's own event loop).
  void KeysWithDialog(const std::string& keys, const std::function<void()>& inDialog) {
    bool ran = false;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      QWidget* dialog = QApplication::activeModalWidget();
      if (dialog == nullptr || !dialog->isVisible()) return;
      poll.stop();
      if (!QTest::qWaitForWindowExposed(dialog)) return;
      Xdotool({"windowfocus", std::to_string(dialog->winId())});
      inDialog();
      ran = true;
    });
    poll.start();
    Xdotool({"windowfocus", window_});
    Xdotool({"key", keys});
    ASSERT_TRUE(Pump([&] { return ran; })) << "no dialog after " << keys;
  }
  void Screenshot(const std::string& name) {
    if (const char* build = std::getenv("KOLVA_BUILD_DIR"); build && OnPath("import"))
      Capture(display_.Name(), {"import", "-window", "root", std::string(build) + "/" + name});
  }

  void DropFromAnotherWindow();

  PrivateDisplay display_;
  fs::path folder_;
  std::unique_ptr<TForm2> form_;
  std::string window_;
  std::vector<std::string> errors_;
};

TEST_F(FilesEndToEnd, CtrlOOpensCtrlSSavesCtrlCCopiesAndADroppedFileIsShown) {
  const fs::path results = folder_ / "results.txt";
  WriteResults(results, 20000, 600.0);

  KeysWithDialog("ctrl+o", [&] {
    Xdotool({"type", "--delay", "5", results.string()});
    Xdotool({"key", "Return"});
  });
  ASSERT_TRUE(Pump([&] { return !form_->ShownFile().isEmpty() && !form_->Loading(); }))
      << "the dialog did not open the file";
  ASSERT_TRUE(Pump([&] { return !form_->Chart1().RepaintPending(); }));
  EXPECT_EQ(form_->windowTitle().toStdString(), "WYKRES - results.txt - 07.03.2026 12:34:56");
  EXPECT_EQ(form_->Series1().PointCount(), 20000);
  EXPECT_EQ(form_->Series2().PointCount(), 20000);
  EXPECT_EQ(form_->Chart1().BottomAxis().Maximum(), 19.999);
  Screenshot("wykres_files_e2e_opened.png");

  // Ctrl+S offers results.png beside the file: Return takes it.
  const QImage shown = kolva::wykres::RenderChartPicture(*form_);
  KeysWithDialog("ctrl+s", [&] { Xdotool({"key", "Return"}); });
  const fs::path png = folder_ / "results.png";
  ASSERT_TRUE(
      Pump([&] { return fs::exists(png) && QApplication::activeModalWidget() == nullptr; }));
  EXPECT_TRUE(QImage(QString::fromStdString(png.string())).convertToFormat(QImage::Format_RGB32) ==
              shown)
      << "the saved picture is the window's";

  QApplication::clipboard()->clear();
  Xdotool({"windowfocus", window_});
  Xdotool({"key", "ctrl+c"});
  ASSERT_TRUE(Pump([] { return !QApplication::clipboard()->image().isNull(); }));
  EXPECT_TRUE(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32) == shown);
  EXPECT_TRUE(errors_.empty()) << errors_.front();
  DropFromAnotherWindow();
}

// One application object on one private display: the drop follows in the
// same test.
void FilesEndToEnd::DropFromAnotherWindow() {
  const char* build = std::getenv("KOLVA_BUILD_DIR");
  ASSERT_NE(build, nullptr);
  const fs::path dropped = folder_ / "dropped.txt";
  WriteResults(dropped, 5000, 300.0);
  const int log = ::open((folder_ / "drag.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const pid_t source = Spawn({std::string(build) + "/wykres/wykres_drag_source", dropped.string()},
                             "", {"DISPLAY=" + display_.Name(), "QT_QPA_PLATFORM=xcb"}, log);
  ::close(log);
  ASSERT_TRUE(Pump([&] {
    return !Xdotool({"search", "--onlyvisible", "--name", "drag source"}).empty();
  }));
  auto moveTo = [&](int x, int y) {
    Xdotool({"mousemove", std::to_string(x), std::to_string(y)});
    const auto until = SteadyClock::now() + std::chrono::milliseconds(150);
    Pump([&] { return SteadyClock::now() > until; });
  };
  moveTo(760, 500);
  Xdotool({"mousedown", "1"});
  for (int i = 1; i <= 8; ++i) moveTo(760 + (380 - 760) * i / 8, 500 + (220 - 500) * i / 8);
  Xdotool({"mouseup", "1"});
  ASSERT_TRUE(Pump([&] { return form_->ShownFile().endsWith("dropped.txt") && !form_->Loading(); }))
      << "nothing was dropped " << (errors_.empty() ? "" : errors_.back());
  ::kill(source, SIGTERM);
  ExitStatus(source, true);
  EXPECT_EQ(ReadFile(folder_ / "drag.log"), "taken\n");
  EXPECT_EQ(form_->windowTitle().toStdString(), "WYKRES - dropped.txt - 07.03.2026 12:34:56");
  EXPECT_EQ(form_->Series1().PointCount(), 5000);
  ASSERT_TRUE(Pump([&] { return !form_->Chart1().RepaintPending(); }));
  Screenshot("wykres_files_e2e_dropped.png");
  EXPECT_TRUE(errors_.empty()) << errors_.front();
}

}  // namespace
