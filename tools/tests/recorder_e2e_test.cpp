// SPDX-License-Identifier: MIT
// kolva-record as a child process on the simulated card: its results files
// against the window's run for the same readings, to a file and to a pipe,
// stopped by a signal mid-run, and its messages and exit statuses.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <regex>
#include <thread>

#include "tools/tests/recorder_child.h"
#include "tools/tests/recorder_model.h"

namespace kolva::tools::testing {
namespace {

// Constant inputs: every reading is the same, whenever it is taken.
constexpr const char* kCard = "sim,in1=dc:123.4mV,in2=dc:-45.6mV";

// The recorder's results against the model run for as many readings: the
// same bytes but for the date and time in the first two lines.
void ExpectModelBytes(const ScratchFolder& folder, const app::RunSettings& settings,
                      const std::string& text, std::size_t minReadings) {
  const auto lines = CrLfLines(text);
  ASSERT_TRUE(lines) << "text after the last CR LF";
  ASSERT_GE(lines->size(), 11 + minReadings);
  EXPECT_TRUE(std::regex_match((*lines)[0], std::regex("Date of the measurement - \\S+")));
  EXPECT_TRUE(std::regex_match((*lines)[1], std::regex("Time of the measurement - \\S+")));
  const std::string model = (folder / "model.txt").string();
  RunModel(kCard, settings, lines->size() - 11, model);
  const std::string expected = ReadAll(model);
  const std::size_t afterTime = expected.find("\r\n", expected.find("\r\n") + 2);
  ASSERT_EQ(text.substr(text.find("\r\n", text.find("\r\n") + 2)), expected.substr(afterTime));
}

// Options and the panel they must give.
struct SettingsCase {
  std::vector<std::string> args;
  std::function<void(app::RunSettings&)> expect;
  app::RunSettings Settings() const {
    app::RunSettings settings = KonfigSettings();
    if (expect) expect(settings);
    return settings;
  }
};

class RecorderFileTest : public ::testing::TestWithParam<SettingsCase> {
 protected:
  ScratchFolder folder_;
};

TEST_P(RecorderFileTest, FileHoldsTheWindowRunsBytes) {
  std::vector<std::string> args = GetParam().args;
  args.push_back("out.txt");
  const Finished done = RunRecorder(folder_.Path(), kCard, args);
  ASSERT_EQ(done.status, 0) << done.err;
  ExpectModelBytes(folder_, GetParam().Settings(), ReadAll(folder_ / "out.txt"), 10);
}

TEST_P(RecorderFileTest, DashWritesTheSameBytesToAPipe) {
  std::vector<std::string> args = GetParam().args;
  args.push_back("-");
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t pid = StartRecorder(folder_.Path(), kCard, args, fds[1]);
  ::close(fds[1]);
  const std::string text = ReadToEnd(fds[0]);
  ::close(fds[0]);
  ASSERT_EQ(WaitExit(pid), 0) << ReadAll(folder_ / "stderr.txt");
  EXPECT_FALSE(fs::exists(folder_ / "-"));
  ExpectModelBytes(folder_, GetParam().Settings(), text, 10);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, RecorderFileTest,
    ::testing::Values(SettingsCase{{"--range", "low"}, nullptr},
                      SettingsCase{{"--range", "high", "--average", "7", "--offset1", "-5",
                                    "--offset2", "9", "--interval", "0.02"},
                                   [](app::RunSettings& s) {
                                     s.lowRange = false;
                                     s.averagingCount = 7;
                                     s.offset1 = -5;
                                     s.offset2 = 9;
                                     s.intervalText = "0.02";
                                   }},
                      SettingsCase{{"--raw", "--offset1=3", "-q"}, [](app::RunSettings& s) {
                                     s.rawCounts = true;
                                     s.offset1 = 3;
                                   }}));

class RecorderSignalTest : public ::testing::TestWithParam<int> {};

TEST_P(RecorderSignalTest, StopsAsTheSKeyWithEveryLineInTheFile) {
  ScratchFolder folder;
  const std::vector<std::string> args = {"--interval", "0.001", "--length", "1", "out.txt"};
  const pid_t pid = StartRecorder(folder.Path(), kCard, args, -1);
  // Wait for data lines on disk: the run is sampling.
  const auto deadline = std::chrono::steady_clock::now() + kChildLimit;
  while (ReadAll(folder / "out.txt").size() < 2000 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_EQ(::kill(pid, GetParam()), 0);
  EXPECT_GE(ReadAll(folder / "out.txt").size(), 2000u)
      << "no data lines on disk within " << kChildLimit.count() << " s before the signal";
  ASSERT_EQ(WaitExit(pid), 0);
  const std::string err = ReadAll(folder / "stderr.txt");
  EXPECT_TRUE(std::regex_search(
      err, std::regex("(^|\n)kolva-record: \\d+ readings taken, \\d+ due, \\d+ late by more "
                      "than one period, worst lateness [0-9.]+ ms\n$")))
      << err;
  const std::string text = ReadAll(folder / "out.txt");
  app::RunSettings settings = KonfigSettings();
  settings.intervalText = "0.001";
  settings.lengthText = "1";
  ExpectModelBytes(folder, settings, text, 20);
  // Stopped long before the minute was over.
  EXPECT_LT(CrLfLines(text)->size(), 11u + 50000u);
}

INSTANTIATE_TEST_SUITE_P(Signals, RecorderSignalTest, ::testing::Values(SIGINT, SIGTERM));

struct BadCase {
  std::vector<std::string> args;
  std::string message;  // the whole first line on stderr
};

class RecorderUsageTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(RecorderUsageTest, NamesTheOptionAndExitsWith2) {
  ScratchFolder folder;
  const Finished done = RunRecorder(folder.Path(), kCard, GetParam().args);
  EXPECT_EQ(done.status, 2);
  EXPECT_EQ(done.err.substr(0, done.err.find('\n')), "kolva-record: " + GetParam().message);
  EXPECT_FALSE(fs::exists(folder / "x"));
}

INSTANTIATE_TEST_SUITE_P(
    Options, RecorderUsageTest,
    ::testing::Values(
        BadCase{{"--interval", "0", "x"}, "--interval: '0' is not more than 0"},
        BadCase{{"--interval", "1,5", "x"},
                "--interval: '1,5' is not a valid floating point value"},
        BadCase{{"--length=-1", "x"}, "--length: '-1' is less than 0"},
        BadCase{{"--average", "101", "x"}, "--average: '101' is not a whole number from 1 to 100"},
        BadCase{{"--average", "", "x"}, "--average: '' is not a whole number from 1 to 100"},
        BadCase{{"--range", "mid", "x"}, "--range: 'mid' is neither low nor high"},
        BadCase{{"--trigger", "2", "x"}, "--trigger: '2' is not off, 0 or 1"},
        BadCase{{"--offset1", "201", "x"},
                "--offset1: '201' is not a whole number from -200 to 200"},
        BadCase{{"--offset2", "1x", "x"}, "--offset2: '1x' is not a whole number from -200 to 200"},
        BadCase{{"--png", "p.png", "--size", "640", "x"},
                "--size: '640' is not WIDTHxHEIGHT, e.g. 477x310"},
        BadCase{{"--png", "p.png", "--size", "0x5", "x"},
                "--size: '0' is not a whole number from 1 to 16384"},
        BadCase{{"--size", "5x5", "x"}, "--size: needs --png FILE"},
        BadCase{{"--from", "r.txt", "x"}, "--from: needs --png FILE"},
        BadCase{{"--raw=1", "x"}, "--raw: unknown option (see --help)"},
        BadCase{{"--bogus", "x"}, "--bogus: unknown option (see --help)"},
        BadCase{{"x", "--interval"}, "--interval: needs a value"},
        BadCase{{}, "no results file named (FILE, or - for standard output)"},
        BadCase{{"x", "y"}, "more than one results file named"}));

struct FailureCase {
  std::string name;
  std::function<void(const ScratchFolder&)> spoil;
  std::string card;
  std::vector<std::string> args;
  std::string message;
  int status;
};

class RecorderFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(RecorderFailureTest, GivesTheWindowsTextAndStatus) {
  ScratchFolder folder;
  const FailureCase& c = GetParam();
  if (c.spoil) c.spoil(folder);
  const Finished done = RunRecorder(folder.Path(), c.card, c.args);
  EXPECT_EQ(done.status, c.status);
  // The message is a line of its own, beside the sampler's note on how it is
  // scheduled, the port layer's explanation or a hint; every line is the
  // recorder's.
  EXPECT_NE(("\n" + done.err).find("\nkolva-record: " + c.message + "\n"), std::string::npos)
      << done.err;
  for (std::size_t start = 0, end; (end = done.err.find('\n', start)) != std::string::npos;
       start = end + 1) {
    EXPECT_EQ(done.err.compare(start, 14, "kolva-record: "), 0) << done.err;
  }
}

void Remove(const ScratchFolder& f, const char* name) {
  fs::remove(f / name);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RecorderFailureTest,
    ::testing::Values(
        FailureCase{"NoBar",
                    [](auto& f) { Remove(f, "bar.txt"); },
                    kCard,
                    {"x"},
                    "bar.txt: File not found.",
                    1},
        FailureCase{"NoKonfig",
                    [](auto& f) { Remove(f, "konfig.txt"); },
                    kCard,
                    {"x"},
                    "konfig.txt: File not found.",
                    1},
        FailureCase{"NoKorekcje",
                    [](auto& f) { Remove(f, "korekcje.txt"); },
                    kCard,
                    {"x"},
                    "korekcje.txt: File not found.",
                    1},
        FailureCase{"BadBar",
                    [](auto& f) { WriteAll(f / "bar.txt", "D8OO\r\n"); },
                    kCard,
                    {"x"},
                    "bar.txt: 'D8OO' is not a valid integer value.",
                    1},
        FailureCase{"BadInterval",
                    [](auto& f) { WriteAll(f / "konfig.txt", Konfig("abc", "0.1")); },
                    kCard,
                    {"--interval", "0.01", "x"},
                    "konfig.txt: 'abc' is not a valid floating point value.",
                    1},
        FailureCase{"BadLength",
                    [](auto& f) { WriteAll(f / "konfig.txt", Konfig("0.01", "abc")); },
                    kCard,
                    {"x"},
                    "konfig.txt: 'abc' is not a valid floating point value.",
                    1},
        FailureCase{"NoPortAccess", nullptr, "", {"x"}, "Privileged instruction.", 1},
        FailureCase{"ShortKorekcje",
                    [](auto& f) { WriteAll(f / "korekcje.txt", "0\r\n0\r\n1\r\n"); },
                    kCard,
                    {"x"},
                    "korekcje.txt: '' is not a valid floating point value.",
                    1},
        FailureCase{"NoCard", nullptr, "sim,id=0x80", {"x"}, "No KOLVA card found.", 1},
        FailureCase{"MissingFolder", nullptr, kCard, {"none/x"}, "none/x: Invalid filename.", 1},
        FailureCase{"PictureFolder",
                    nullptr,
                    kCard,
                    {"--png", "none/p.png", "-q", "x"},
                    "none/p.png: The picture could not be written (No such file or directory)",
                    1},
        FailureCase{
            "BadCard",
            nullptr,
            "sim,in1=5",
            {"x"},
            "KOLVA_CARD: bad simulated-card option \"in1=5\": unknown signal \"5\" (use dc, "
            "sine, square or triangle)",
            2}),
    [](const auto& info) { return info.param.name; });

// The documented ends of the options together in one real run: a length of
// 0 ends at the first pass after the start, and the picture is a single
// row of the largest width.
TEST(RecorderLimitsTest, RunsWithEveryOptionAtItsEnd) {
  ScratchFolder folder;
  const Finished done =
      RunRecorder(folder.Path(), kCard,
                  {"--length", "0", "--average", "100", "--offset1", "-200", "--offset2", "200",
                   "--png", "p.png", "--size", "16384x1", "-q", "out.txt"});
  ASSERT_EQ(done.status, 0) << done.err;
  const auto lines = CrLfLines(ReadAll(folder / "out.txt"));
  ASSERT_TRUE(lines && lines->size() >= 11);
  EXPECT_EQ((*lines)[6], "Measurement lenth in minutes - 0");
  // The picture's size as its header (IHDR) holds it, big-endian.
  const std::string png = ReadAll(folder / "p.png");
  ASSERT_GE(png.size(), 24u);
  const auto be32 = [&](std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(png[at + i]);
    return v;
  };
  EXPECT_EQ(png.substr(12, 4), "IHDR");
  EXPECT_EQ(be32(16), 16384u);
  EXPECT_EQ(be32(20), 1u);
}

TEST(RecorderInfoTest, HelpAndVersionGoToStdoutAndSucceed) {
  ScratchFolder folder;
  for (const char* option : {"--help", "--version"}) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = StartRecorder(folder.Path(), kCard, {option}, fds[1]);
    ::close(fds[1]);
    const std::string out = ReadToEnd(fds[0]);
    ::close(fds[0]);
    EXPECT_EQ(WaitExit(pid), 0);
    EXPECT_TRUE(
        std::regex_search(out, std::regex(option == std::string("--help")
                                              ? "^Usage: kolva-record "
                                              : "^kolva-record \\(Kolva\\) \\d+\\.\\d+\\.\\d+\n$")))
        << out;
  }
}

}  // namespace
}  // namespace kolva::tools::testing
