// SPDX-License-Identifier: MIT
// The chart window showing results files: what a load puts in the series,
// the caption and the zoom, the way back to the run, and the failures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QKeySequence>
#include <QProgressBar>
#include <QShortcut>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "app/files/results_reader.h"
#include "app/text/errors.h"
#include "app/text/textconv.h"
#include "chart/qt/tests/qt_app.h"
#include "results_header.h"
#include "wykres/form2.h"

namespace kolva::wykres {
namespace {

namespace fs = std::filesystem;

const char* const kHeader = testing::kResultsHeader;

// A results file of `lines` readings: input 1 = n / 8, input 2 = -n, at
// 0.001 s, then `tail` as it stands.
fs::path WriteResults(const std::string& name, int lines, const std::string& tail = {}) {
  const fs::path path =
      fs::temp_directory_path() / ("kolva_" + std::to_string(::getpid()) + "_" + name);
  std::ofstream out(path, std::ios::binary);
  out << kHeader;
  for (int n = 0; n < lines; ++n)
    out << n << "              " << app::FormatText("%2.3f", n / 8.0) << "    "
        << app::FormatText("%2.3f", -n) << "         " << app::FloatText(0.001L * n) << "\r\n";
  out << tail;
  return path;
}

class Form2FilesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { chart::qt::testing::EnsureQtApp(); }
  void SetUp() override {
    form.SetErrorHandler([this](std::exception_ptr e) {
      try {
        std::rethrow_exception(e);
      } catch (const std::exception& x) {
        errors.push_back(x.what());
      }
    });
  }
  void TearDown() override {
    for (const fs::path& p : files) fs::remove(p);
  }
  fs::path File(const std::string& name, int lines, const std::string& tail = {}) {
    files.push_back(WriteResults(name, lines, tail));
    return files.back();
  }
  // Runs the event loop until the load has ended.
  void Settle() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (form.Loading() && std::chrono::steady_clock::now() < deadline) {
      QApplication::processEvents();
      std::this_thread::yield();
    }
    QApplication::processEvents();
    ASSERT_FALSE(form.Loading());
  }

  TForm2 form;
  std::vector<std::string> errors;
  std::vector<fs::path> files;
};

TEST_F(Form2FilesTest, AFileReplacesBothSeriesResetsTheZoomAndNamesItselfInTheCaption) {
  form.Series1().AddPoint(0, 5000, "", 255);
  form.Series2().AddPoint(0, 5000, "", 0xFFFFFF);
  form.Chart1().Zooming().ZoomToValues({0.1, 0.2, 1, 2});
  ASSERT_TRUE(form.Chart1().Zooming().Zoomed());
  const fs::path path = File("shown.txt", 100000);

  form.OpenResultsFile(QString::fromStdString(path.string()));
  EXPECT_EQ(form.windowTitle().toStdString(),
            "WYKRES - " + path.filename().string() + " - 07.03.2026 23:59:59");
  EXPECT_TRUE(form.LoadProgress().isVisibleTo(&form)) << "progress while it loads";
  Settle();

  EXPECT_TRUE(errors.empty()) << errors.front();
  EXPECT_FALSE(form.LoadProgress().isVisibleTo(&form));
  EXPECT_FALSE(form.Chart1().Zooming().Zoomed());
  ASSERT_EQ(form.Series1().PointCount(), 100000);
  ASSERT_EQ(form.Series2().PointCount(), 100000);
  for (int n : {0, 1, 4711, 99999}) {
    EXPECT_EQ(form.Series1().XValue(n),
              static_cast<double>(app::ParseFloat(app::FloatText(0.001L * n))));
    EXPECT_EQ(form.Series1().YValue(n), n / 8.0);
    EXPECT_EQ(form.Series2().YValue(n), -n);
  }
  EXPECT_EQ(form.ShownFile().toStdString(), path.string());
  EXPECT_EQ(form.DefaultPictureName().toStdString(),
            (path.parent_path() / path.stem()).string() + ".png");
}

TEST_F(Form2FilesTest, ARunClearingItsSeriesBringsTheWindowBackAndStopsTheLoad) {
  const fs::path path = File("long.txt", 300000);
  form.OpenResultsFile(QString::fromStdString(path.string()));
  QApplication::processEvents();
  // As the run does at its start.
  form.Series1().ClearPoints();
  form.Series2().ClearPoints();
  EXPECT_FALSE(form.Loading());
  EXPECT_EQ(form.windowTitle().toStdString(), "WYKRES");
  EXPECT_TRUE(form.ShownFile().isEmpty());
  EXPECT_FALSE(form.LoadProgress().isVisibleTo(&form));
  for (int i = 0; i < 50; ++i) QApplication::processEvents();
  EXPECT_EQ(form.Series1().PointCount(), 0)
      << "no chunk of the file arrives after the run took over";
  form.SetResultsFileName("/data/run7.txt");
  EXPECT_EQ(form.DefaultPictureName().toStdString(), "run7.png");
}

TEST_F(Form2FilesTest, ALineThatDoesNotReadKeepsTheReadingsBeforeItAndSaysWhichLine) {
  const fs::path path = File("bad.txt", 70000, "70000   oops\r\n");
  form.OpenResultsFile(QString::fromStdString(path.string()));
  Settle();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0],
            path.filename().string() + ", line 70012: not a line of results: \"70000   oops\"");
  EXPECT_EQ(form.Series1().PointCount(), 70000);
  EXPECT_FALSE(form.ShownFile().isEmpty());
}

TEST_F(Form2FilesTest, AFileThatIsNotResultsRaisesAndChangesNothing) {
  form.Series1().AddPoint(0, 1, "", 255);
  const fs::path path =
      fs::temp_directory_path() / ("kolva_" + std::to_string(::getpid()) + "_notes.txt");
  files.push_back(path);
  std::ofstream(path) << "shopping list\n";
  EXPECT_THROW(form.OpenResultsFile(QString::fromStdString(path.string())), app::ResultsFileError);
  EXPECT_THROW(form.OpenResultsFile("/nonexistent-kolva/r.txt"), app::IoError);
  EXPECT_EQ(form.Series1().PointCount(), 1);
  EXPECT_EQ(form.windowTitle().toStdString(), "WYKRES");
}

// Ctrl+S's save: a device that fills says why and is left a device; a save
// into a folder that does not exist leaves nothing.
TEST_F(Form2FilesTest, APictureThatCannotBeWrittenSaysWhyAndLeavesNoPart) {
  form.Series1().AddPoint(0, 1, "", 255);
  try {
    form.SavePicture("/dev/full");
    ADD_FAILURE() << "a save to a full device reported success";
  } catch (const app::Error& error) {
    EXPECT_EQ(std::string(error.what()),
              "The picture could not be saved as /dev/full (No space left on device)");
  }
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
  EXPECT_THROW(form.SavePicture("/nonexistent-kolva/p.png"), app::Error);
  EXPECT_FALSE(fs::exists("/nonexistent-kolva"));
}

// The tooltip names every key the window binds, as the key sequence reads,
// and the drop the window takes.
TEST_F(Form2FilesTest, ChartTooltipNamesEveryKeyOfTheWindowAndTheDrop) {
  const QString tip = form.Chart1Widget().toolTip();
  const QList<QShortcut*> keys = form.findChildren<QShortcut*>();
  ASSERT_EQ(keys.size(), 3);
  for (const QShortcut* key : keys) {
    const QString name = key->key().toString(QKeySequence::PortableText);
    EXPECT_TRUE(tip.contains(name + "  ")) << name.toStdString();
  }
  EXPECT_TRUE(form.acceptDrops());
  EXPECT_TRUE(tip.contains("Drop a results file"));
}

}  // namespace
}  // namespace kolva::wykres
