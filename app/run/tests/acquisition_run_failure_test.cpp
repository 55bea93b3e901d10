// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "acquisition_run_fixture.h"
#include "app/run/acquisition_run.h"
#include "app/text/errors.h"
#include "app/text/tests/textconv_locale_fake.h"
#include "app/text/textconv.h"

namespace kolva::app {
namespace {

using testing::DataLineOf;
using testing::FileLines;
using testing::HeaderLines;
using testing::kPeriod1ms;
using testing::ReadWholeFile;
using testing::RunFixture;
namespace fs = std::filesystem;

constexpr std::int64_t kPeriod100ms = 119318;  // Trunc(0.1 * 1193180)

// n thousandths or tenths of a second as the time column writes them: the
// shortest decimal, no trailing zeros.
std::string DecimalText(int n, int digits) {
  if (n == 0) return "0";
  std::string fraction = std::to_string(n);
  if (static_cast<int>(fraction.size()) <= digits) {
    fraction.insert(0, static_cast<std::size_t>(digits) - fraction.size(), '0');
  }
  std::string whole = fraction.substr(0, fraction.size() - static_cast<std::size_t>(digits));
  fraction.erase(0, whole.size());
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (whole.empty()) whole = "0";
  return fraction.empty() ? whole : whole + "." + fraction;
}

// The whole file a LOW run at `interval` (in steps of 10^-digits s) writes for
// readings 0 to count - 1.
std::string ExpectedFile(const std::string& interval, int step, int digits, int count) {
  std::vector<std::string> lines = HeaderLines("3/7/26", "23:59:59", interval, "1");
  for (int n = 0; n < count; ++n) {
    lines.push_back(
        DataLineOf(std::to_string(n), "36.621", "-54.932", DecimalText(n * step, digits)));
  }
  return FileLines(lines);
}

std::vector<std::pair<std::string, bool>> IdleAgain() {
  return {{"ZAPISUJE", false}, {"ACQUISITION START", true}};
}

class RunFailureTest : public RunFixture {
 protected:
  void SetUp() override {
    RunFixture::SetUp();
    controls.intervalText = "0.001";
    controls.liveReadout = true;
    controls.runButtonCaption = "ACQUISITION  START";
    controls.runButtonEnabled = true;
  }
  testing::ScopedLocale locale_{platform::LocaleSettings{}};
};

struct TextCase {
  const char* name;
  const char* interval;
  const char* length;
  const char* message;
};

void PrintTo(const TextCase& c, std::ostream* os) {
  *os << c.name;
}

class InvalidTextTest : public RunFailureTest, public ::testing::WithParamInterface<TextCase> {};

// Both texts are checked before the results file is touched, so a typo never
// truncates the previous file.
TEST_P(InvalidTextTest, FailsBeforeAnythingButTheLiveReadoutChanges) {
  const std::string stale = "an older measurement\r\n";
  { std::ofstream(resultsPath, std::ios::binary) << stale; }
  controls.intervalText = GetParam().interval;
  controls.lengthText = GetParam().length;
  controls.chartResults = true;
  auto run = MakeRun();

  try {
    run->Button3Click();
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(std::string(error.what()), GetParam().message);
  }
  EXPECT_FALSE(run->Active());
  EXPECT_FALSE(controls.liveReadout);
  EXPECT_EQ(controls.runButtonCaption, "ACQUISITION  START");
  EXPECT_TRUE(controls.buttonHistory.empty());
  EXPECT_TRUE(controls.progressHistory.empty());
  EXPECT_TRUE(chart.calls.empty());
  EXPECT_EQ(ReadWholeFile(resultsPath), stale);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, InvalidTextTest,
    ::testing::Values(
        TextCase{"IntervalNotANumber", "abc", "1", "'abc' is not a valid floating point value"},
        TextCase{"IntervalEmpty", "", "1", "'' is not a valid floating point value"},
        TextCase{"IntervalWithComma", "0,001", "1", "'0,001' is not a valid floating point value"},
        TextCase{"IntervalBeyondTheCounter", "1e14", "1", "Invalid floating point operation"},
        TextCase{"LengthNotANumber", "0.001", "abc", "'abc' is not a valid floating point value"},
        TextCase{"LengthOverflows", "0.001", "1e4931", "Floating point overflow"}),
    [](const auto& info) { return std::string(info.param.name); });

struct CreateCase {
  const char* name;
  const char* relativePath;  // under the test's folder; "" is the folder itself
  int code;
  const char* message;
};

void PrintTo(const CreateCase& c, std::ostream* os) {
  *os << c.name;
}

class UncreatableFileTest : public RunFailureTest,
                            public ::testing::WithParamInterface<CreateCase> {};

TEST_P(UncreatableFileTest, FailsBeforeWritingAndLeavesThePanelUsable) {
  controls.resultsFileName = (folder / GetParam().relativePath).string();
  auto run = MakeRun();

  try {
    ClickAndFollow(*run);
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_EQ(error.Code(), GetParam().code);
    EXPECT_EQ(std::string(error.what()), GetParam().message);
  }
  EXPECT_EQ(controls.buttonHistory, IdleAgain());
  EXPECT_TRUE(controls.progressHistory.empty());
  EXPECT_EQ(keyboard.reads, 0);

  // The next click runs normally.
  controls.resultsFileName = resultsPath.string();
  PressStopAtRead(1);
  ClickAndFollow(*run);
  EXPECT_EQ(ReadWholeFile(resultsPath), ExpectedFile("0.001", 1, 3, 0));
  EXPECT_EQ(controls.runButtonCaption, "ACQUISITION START");
  EXPECT_TRUE(controls.runButtonEnabled);
}

INSTANTIATE_TEST_SUITE_P(Names, UncreatableFileTest,
                         ::testing::Values(CreateCase{"MissingFolder", "no such folder/results.txt",
                                                      3, "Invalid filename"},
                                           CreateCase{"NameOfAFolder", "", 5,
                                                      "File access denied"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunFailureTest, EmptyFileNameIsInvalid) {
  controls.resultsFileName = "";
  auto run = MakeRun();
  try {
    ClickAndFollow(*run);
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_EQ(error.Code(), 3);
  }
  EXPECT_EQ(controls.buttonHistory, IdleAgain());
}

TEST_F(RunFailureTest, DeviceThatIsAlwaysFullFailsWithTheHeaderBeforeTheTriggerWait) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  controls.resultsFileName = "/dev/full";
  controls.triggerEnabled = true;
  auto run = MakeRun();

  try {
    ClickAndFollow(*run);
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_EQ(error.Code(), 101);
    EXPECT_EQ(std::string(error.what()), "Disk full");
  }
  EXPECT_EQ(controls.buttonHistory, IdleAgain());
  EXPECT_EQ(keyboard.reads, 0);
}

TEST_F(RunFailureTest, IntervalMadeInvalidDuringARunEndsItKeepingTheLinesWritten) {
  runClock.step = kPeriod1ms;
  events.onReading = [&](const RunReading& reading) {
    if (reading.number != 1) return;
    controls.intervalText = "y";
    Publish();
  };

  RunHere();

  EXPECT_EQ(events.ErrorText(), "'y' is not a valid floating point value");
  EXPECT_EQ(events.readings.size(), 2u);
  EXPECT_EQ(ReadWholeFile(resultsPath), ExpectedFile("0.001", 1, 3, 2));
}

// A large negative interval moves the deadline past the 64-bit range at the
// second reading: the program's one overflow message, never a wrapped deadline.
TEST_F(RunFailureTest, DeadlineBeyondSixtyFourBitsRaisesOverflow) {
  controls.intervalText = "-3.9e12";
  runClock.step = kPeriod1ms;

  RunHere();

  ASSERT_TRUE(events.error);
  try {
    std::rethrow_exception(events.error);
  } catch (const MathError& error) {
    EXPECT_EQ(error.What(), MathError::Kind::kOverflow);
    EXPECT_EQ(std::string(error.what()), "Floating point overflow");
  }
  EXPECT_EQ(events.readings.size(), 1u);
  EXPECT_EQ(ReadWholeFile(resultsPath),
            FileLines(HeaderLines("3/7/26", "23:59:59", "-3.9e12", "1")) +
                DataLineOf("0", "36.621", "-54.932", FloatText(-3.9e12L * 0)) + "\r\n");
}

// A file system of a few KiB, in a mount namespace of this test's own so
// that nothing is left mounted whatever happens.
bool MountSmallFileSystem(const fs::path& where, std::string& why) {
  if (::unshare(CLONE_NEWNS) != 0) {
    why = std::string("unshare: ") + std::strerror(errno);
    return false;
  }
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      ::mount("tmpfs", where.c_str(), "tmpfs", 0, "size=8k") != 0) {
    why = std::string("mount: ") + std::strerror(errno);
    return false;
  }
  return true;
}

TEST_F(RunFailureTest, DiskFilledInTheMiddleOfARunKeepsWhatReachedIt) {
  const fs::path small = folder / "small";
  fs::create_directories(small);
  std::string why;
  if (!MountSmallFileSystem(small, why)) GTEST_SKIP() << "no small file system: " << why;
  controls.resultsFileName = (small / "results.txt").string();
  runClock.step = kPeriod1ms;
  auto run = MakeRun();

  try {
    ClickAndFollow(*run);
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_EQ(error.Code(), 101);
    EXPECT_EQ(std::string(error.what()), "Disk full");
  }
  const std::string kept = ReadWholeFile(small / "results.txt");
  ::umount2(small.c_str(), MNT_DETACH);
  const auto readings = static_cast<int>(run->Timing().taken);
  const std::string expected = ExpectedFile("0.001", 1, 3, readings + 1);
  EXPECT_GT(kept.size(), 4096u);  // more than one buffer reached the disk
  EXPECT_LT(kept.size(), expected.size());
  EXPECT_EQ(kept, expected.substr(0, kept.size()));
  // Only whole lines: the write that failed was cut back.
  EXPECT_EQ(kept.substr(kept.size() - 2), "\r\n");
  EXPECT_EQ(controls.buttonHistory.back(), std::make_pair(std::string("ACQUISITION START"), true));
  ASSERT_FALSE(controls.progressHistory.empty());
  EXPECT_EQ(controls.progressHistory.back(), readings & 255);
}

class FlushTest : public RunFailureTest {};

TEST_F(FlushTest, HeaderIsOnDiskDuringTheTriggerWait) {
  controls.triggerEnabled = true;
  controls.triggerOnHigh = true;
  controls.triggerOnLow = false;
  std::string onDisk;
  keyboard.onRead = [&](platform::FakeKeyboard& k) {
    if (k.reads == 0) onDisk = ReadWholeFile(resultsPath);
    k.scanCode = Card::kStopScanCode;
  };

  RunHere();

  EXPECT_EQ(onDisk, ExpectedFile("0.001", 1, 3, 0));
}

TEST_F(FlushTest, ReadingsReachTheDiskAtLeastOnceASecond) {
  controls.intervalText = "0.1";
  runClock.step = kPeriod100ms;  // one pass, and one reading, per 100 ms
  const std::string all = ExpectedFile("0.1", 1, 1, 40);
  std::vector<int> linesOnDisk;
  keyboard.onRead = [&](platform::FakeKeyboard& k) {
    const std::string onDisk = ReadWholeFile(resultsPath);
    ASSERT_EQ(onDisk, all.substr(0, onDisk.size()));
    int lines = 0;
    for (char c : onDisk) lines += c == '\n';
    linesOnDisk.push_back(lines - 11);
    if (k.reads + 1 >= 41) k.scanCode = Card::kStopScanCode;
  };

  RunHere();

  ASSERT_EQ(events.readings.size(), 40u);
  ASSERT_EQ(linesOnDisk.size(), 41u);
  for (std::size_t pass = 1; pass <= linesOnDisk.size(); ++pass) {
    SCOPED_TRACE(pass);
    const int taken = pass > 1 ? static_cast<int>(pass) - 1 : 0;
    // At most the last second's ten readings are still in the buffer.
    EXPECT_GE(linesOnDisk[pass - 1], taken - 10);
  }
  // A second of run time after the start (pass 9), everything is there.
  EXPECT_EQ(linesOnDisk[8], 8);
  EXPECT_EQ(ReadWholeFile(resultsPath), all);
}

}  // namespace
}  // namespace kolva::app
