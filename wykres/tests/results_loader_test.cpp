// SPDX-License-Identifier: MIT
// The loader's slices, read by its workers in turn, reach the GUI thread in
// file order: the same readings and the same failure as reading the file
// in one go, whatever the slice size.
#include "wykres/results_loader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "chart/qt/tests/qt_app.h"
#include "results_header.h"

namespace kolva::wykres {
namespace {

namespace fs = std::filesystem;

const char* const kHeader = testing::kResultsHeader;

class ResultsLoaderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { chart::qt::testing::EnsureQtApp(); }
  void TearDown() override { fs::remove(path); }

  void Write(int lines, const std::string& tail) {
    std::ofstream out(path, std::ios::binary);
    out << kHeader;
    for (int n = 0; n < lines; ++n)
      out << n << "   " << n % 251 << ".5  -" << n % 7 << "," << n % 10 << "   " << n << ".001"
          << (n % 5 == 0 ? "\n" : "\r\n");
    out << tail;
  }

  // Loads the file with the given slice size; what arrived, in order.
  void Load(std::uint64_t sliceBytes) {
    QObject context;
    time.clear();
    input2.clear();
    failure = "(not ended)";
    double done = 0;
    ResultsLoader loader(
        context,
        [&](const ResultsLoader::Chunk& chunk) {
          time.insert(time.end(), chunk.time.begin(), chunk.time.end());
          input2.insert(input2.end(), chunk.input2.begin(), chunk.input2.end());
          const double now = double(chunk.bytesRead) / chunk.fileSize;
          EXPECT_GE(now, done);
          done = now;
        },
        [&](const std::string& end) { failure = end; }, sliceBytes);
    loader.Start(std::make_unique<app::ResultsReader>(path.string()));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (loader.Busy() && std::chrono::steady_clock::now() < deadline) {
      QApplication::processEvents();
      std::this_thread::yield();
    }
    EXPECT_FALSE(loader.Busy());
  }

  void ExpectAsTheWholeFile() {
    const app::ResultsFile whole = app::ReadResultsFile(path.string());
    EXPECT_EQ(failure, whole.failure);
    ASSERT_EQ(time.size(), whole.readings.size());
    for (std::size_t i = 0; i < time.size(); ++i) {
      ASSERT_EQ(time[i], static_cast<double>(whole.readings[i].time)) << i;
      ASSERT_EQ(input2[i], whole.readings[i].input2) << i;
    }
  }

  fs::path path = fs::temp_directory_path() / ("kolva_loader_" + std::to_string(::getpid()));
  std::vector<double> time, input2;
  std::string failure;
};

TEST_F(ResultsLoaderTest, SlicesOfAnySizeArriveAsTheWholeFileReads) {
  Write(20000, "");
  for (std::uint64_t slice : {61ull, 997ull, 65536ull, 1ull << 30}) {
    Load(slice);
    ExpectAsTheWholeFile();
    EXPECT_EQ(time.size(), 20000u);
  }
}

TEST_F(ResultsLoaderTest, ALineThatDoesNotReadInALaterSliceIsNamedAsInTheWholeFile) {
  Write(20000, "20000  1  2\r\n20001  1  2  3\r\n");
  for (std::uint64_t slice : {997ull, 20000ull}) {
    Load(slice);
    ExpectAsTheWholeFile();
    EXPECT_EQ(failure.substr(failure.find(", line")),
              ", line 20012: not a line of results: \"20000  1  2\"");
  }
  Write(30000, "30000  1  2  3");
  Load(4099);
  ExpectAsTheWholeFile();
  EXPECT_NE(failure.find("line 30012: the file ends in the middle of this line"),
            std::string::npos);
  // Lines that end in CR alone after those that read, in a later slice.
  Write(20000, "20000  1  2  3\r20001  1  2  3\r");
  Load(997);
  ExpectAsTheWholeFile();
  EXPECT_NE(failure.find(", line 20012: the lines end in CR only, not in CR LF or LF"),
            std::string::npos);
}

}  // namespace
}  // namespace kolva::wykres
