// SPDX-License-Identifier: MIT
#include "app/files/settings_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/text/errors.h"
#include "app/text/textconv.h"
#include "child_process.h"
#include "platform/locale_settings.h"

namespace kolva::app {
namespace {

namespace fs = std::filesystem;

// The panel as konfig.txt sees it, starting from the stored layout. Like the
// window, setting the interval text checks it when it differs, and checking
// a range button that was not checked fires its click (recorded as "click").
class KonfigPanel : public KonfigControls {
 public:
  int offset1 = 0;
  int offset2 = 0;
  std::string interval = "0.001";
  std::string length = "0.1";
  bool high = true;
  bool onHigh = true;
  bool triggerEnabled = true;
  bool chartResults = true;
  std::vector<std::string> log;  // what was set, in order

  int Offset1() const override { return offset1; }
  int Offset2() const override { return offset2; }
  std::string IntervalText() const override { return interval; }
  std::string LengthText() const override { return length; }
  bool HighRange() const override { return high; }
  bool TriggerOnHigh() const override { return onHigh; }
  bool TriggerEnabled() const override { return triggerEnabled; }
  bool ChartResults() const override { return chartResults; }

  void SetOffset1(int position) override { Note("offset1", offset1 = position); }
  void SetOffset2(int position) override { Note("offset2", offset2 = position); }
  void SetIntervalText(const std::string& text) override {
    log.push_back("interval " + text);
    if (text == interval) return;
    interval = text;
    ParseFloat(text);
  }
  void SetLengthText(const std::string& text) override {
    log.push_back("length " + text);
    length = text;
  }
  void SetHighRange(bool value) override {
    Note("high", value);
    if (value != high) log.push_back("click");
    high = value;
  }
  void SetTriggerOnHigh(bool value) override { Note("onHigh", onHigh = value); }
  void SetTriggerEnabled(bool value) override { Note("trigger", triggerEnabled = value); }
  void SetChartResults(bool value) override { Note("chart", chartResults = value); }

 private:
  void Note(const std::string& what, int value) { log.push_back(what + " " + IntText(value)); }
};

class SettingsFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetCurrentLocale(platform::LocaleSettings{});
    char pattern[] = "/tmp/kolva-settings-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ::chmod(dir_.c_str(), 0755);  // an unprivileged child must reach it
  }
  void TearDown() override {
    ::chmod(dir_.c_str(), 0755);
    fs::remove_all(dir_);
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Reads konfig.txt (holding `bytes`) into `panel`, recording the ranges it selects.
  void ReadKonfig(const std::string& bytes, KonfigPanel& panel) {
    Write("konfig.txt", bytes);
    ReadKonfigFile(Path("konfig.txt"), panel, [this](bool high) { ranges_.push_back(high); });
  }

  std::string dir_;
  std::vector<bool> ranges_;
};

int IoCodeOf(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const IoError& error) {
    return error.Code();
  }
  return 0;
}

std::string MessageOf(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const Error& error) {
    return error.what();
  }
  return "";
}

TEST_F(SettingsFilesTest, BarFileGivesTheLow16BitsOfItsNumberInEveryNotation) {
  const struct {
    const char* line;
    std::uint16_t base;
  } cases[] = {{"55296", 0xD800}, {"$D800", 0xD800}, {"0xd800", 0xD800}, {"xD800", 0xD800},
               {"768", 0x300},    {"$300", 0x300},   {"70000", 4464},    {"-1", 0xFFFF}};
  for (const auto& c : cases) {
    Write("bar.txt", std::string(c.line) + "\r\n");
    EXPECT_EQ(ReadBarFile(Path("bar.txt")), c.base) << c.line;
  }
  Write("bar.txt", "768");  // no line end at all
  EXPECT_EQ(ReadBarFile(Path("bar.txt")), 0x300);
}

TEST_F(SettingsFilesTest, BarFileFailures) {
  EXPECT_EQ(IoCodeOf([&] { ReadBarFile(Path("bar.txt")); }), 2);
  EXPECT_EQ(MessageOf([&] { ReadBarFile(Path("bar.txt")); }), "File not found");
  Write("bar.txt", "D800\r\n");
  EXPECT_EQ(MessageOf([&] { ReadBarFile(Path("bar.txt")); }),
            "'D800' is not a valid integer value");
  Write("bar.txt", "");
  EXPECT_EQ(MessageOf([&] { ReadBarFile(Path("bar.txt")); }), "'' is not a valid integer value");
}

TEST_F(SettingsFilesTest, KonfigAppliesEachLineInTurnAndSelectsTheRangeAfterLine5) {
  KonfigPanel panel;
  ReadKonfig("-5\r\n17\r\n0.5\r\n3\r\nfalse\r\nfalse\r\nfalse\r\nfalse\r\nignored\r\n", panel);
  const std::vector<std::string> expected = {"offset1 -5", "offset2 17", "interval 0.5",
                                             "length 3",   "high 0",     "click",
                                             "onHigh 0",   "trigger 0",  "chart 0"};
  EXPECT_EQ(panel.log, expected);
  EXPECT_EQ(ranges_, std::vector<bool>{false});
  EXPECT_EQ(panel.interval, "0.5");
}

TEST_F(SettingsFilesTest, KonfigFlagsAreTrueOnlyForTheExactBytesTrue) {
  const struct {
    const char* flag;
    bool isTrue;
  } cases[] = {{"true", true},   {"True", false}, {"TRUE", false}, {"true ", false},
               {" true", false}, {"", false},     {"1", false},    {"false", false}};
  for (const auto& c : cases) {
    KonfigPanel panel;
    panel.high = !c.isTrue;  // start from the other state so a change shows
    panel.onHigh = panel.triggerEnabled = panel.chartResults = !c.isTrue;
    const std::string flag = c.flag;
    ranges_.clear();
    ReadKonfig("0\r\n0\r\n0.001\r\n0.1\r\n" + flag + "\r\n" + flag + "\r\n" + flag + "\r\n" + flag +
                   "\r\n",
               panel);
    EXPECT_EQ(panel.high, c.isTrue) << '"' << flag << '"';
    EXPECT_EQ(panel.onHigh, c.isTrue) << '"' << flag << '"';
    EXPECT_EQ(panel.triggerEnabled, c.isTrue) << '"' << flag << '"';
    EXPECT_EQ(panel.chartResults, c.isTrue) << '"' << flag << '"';
    EXPECT_EQ(ranges_, std::vector<bool>{c.isTrue}) << '"' << flag << '"';
  }
}

TEST_F(SettingsFilesTest, KonfigOffsetsAreClampedToTheScrollBarRange) {
  const struct {
    const char* line;
    int position;
  } cases[] = {{"500", 200}, {"200", 200},          {"-201", -200},
               {"$FF", 200}, {"-2147483648", -200}, {"  42", 42}};
  for (const auto& c : cases) {
    KonfigPanel panel;
    ReadKonfig(std::string(c.line) + "\r\n" + c.line + "\r\n0.001\r\n", panel);
    EXPECT_EQ(panel.offset1, c.position) << c.line;
    EXPECT_EQ(panel.offset2, c.position) << c.line;
  }
}

TEST_F(SettingsFilesTest, KonfigWithFourLinesSelectsLowIfZeroAndClearsBothBoxes) {
  KonfigPanel panel;
  ReadKonfig("1\r\n2\r\n0.25\r\n7\r\n", panel);
  EXPECT_FALSE(panel.high);
  EXPECT_FALSE(panel.onHigh);
  EXPECT_FALSE(panel.triggerEnabled);
  EXPECT_FALSE(panel.chartResults);
  EXPECT_EQ(panel.length, "7");
  EXPECT_EQ(ranges_, std::vector<bool>{false});
}

TEST_F(SettingsFilesTest, KonfigStopsAtTheFirstLineThatDoesNotConvert) {
  KonfigPanel badInterval;
  EXPECT_EQ(MessageOf([&] { ReadKonfig("3\r\n4\r\n1,5x\r\nx\r\ntrue\r\n", badInterval); }),
            "'1,5x' is not a valid floating point value");
  const std::vector<std::string> applied = {"offset1 3", "offset2 4", "interval 1,5x"};
  EXPECT_EQ(badInterval.log, applied);
  EXPECT_TRUE(ranges_.empty());
  EXPECT_EQ(badInterval.length, "0.1");

  KonfigPanel badOffset;
  EXPECT_EQ(MessageOf([&] { ReadKonfig("7\r\n4.0\r\n", badOffset); }),
            "'4.0' is not a valid integer value");
  EXPECT_EQ(badOffset.log, std::vector<std::string>{"offset1 7"});

  // A bad line 4 is taken as it stands; only a run converts it.
  KonfigPanel badLength;
  ReadKonfig("0\r\n0\r\n0.001\r\nabc\r\n", badLength);
  EXPECT_EQ(badLength.length, "abc");

  KonfigPanel missing;
  EXPECT_EQ(IoCodeOf([&] { ReadKonfigFile(Path("none.txt"), missing, {}); }), 2);
  EXPECT_TRUE(missing.log.empty());
}

// Files written in a locale with the other separator load, in this locale's
// form, with one note a file; what converted before reads as it stands.
TEST_F(SettingsFilesTest, NumbersWrittenWithTheOtherDecimalSeparatorReadInTheLocalesForm) {
  platform::LocaleSettings comma;
  comma.decimalSeparator = ',';
  std::vector<std::string> notes;
  const SettingsNote note = [&notes](const std::string& text) { notes.push_back(text); };
  for (const char own : {',', '.'}) {
    comma.decimalSeparator = own;
    platform::SetCurrentLocale(comma);
    const std::string other = own == ',' ? "." : ",";
    const auto form = [own](std::string text) {
      std::replace(text.begin(), text.end(), '#', own);
      return text;
    };
    notes.clear();
    KonfigPanel panel;
    Write("konfig.txt", "0\r\n0\r\n0" + other + "002\r\n1" + other + "5\r\ntrue\r\n");
    ReadKonfigFile(
        Path("konfig.txt"), panel, [](bool) {}, note);
    EXPECT_EQ(panel.interval, form("0#002"));
    EXPECT_EQ(panel.length, form("1#5"));
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0], "konfig.txt: numbers written with '" + other +
                            "' are read as this locale's '" + own + "'");
    WriteKonfigFile(Path("konfig.txt"), panel);
    const std::string saved = form("0\r\n0\r\n0#002\r\n1#5\r\n");
    EXPECT_EQ(Read("konfig.txt").substr(0, saved.size()), saved);

    notes.clear();
    Write("korekcje.txt",
          "0\r\n0\r\n1" + other + "5\r\n2\r\n366" + other + "2109375\r\n3906" + other + "25\r\n");
    Corrections c;
    ReadKorekcjeFile(Path("korekcje.txt"), c, note);
    EXPECT_EQ(c.Gain2Low, 1.5f);
    EXPECT_EQ(c.ScaleLow, 366.2109375f);
    EXPECT_EQ(c.ScaleHigh, 3906.25f);
    EXPECT_EQ(notes.size(), 1u);

    // The locale's own form and texts that convert neither way are untouched.
    notes.clear();
    KonfigPanel ownForm;
    Write("konfig.txt", form("0\r\n0\r\n0#002\r\n1" + other + "2" + other + "3\r\n"));
    ReadKonfigFile(
        Path("konfig.txt"), ownForm, [](bool) {}, note);
    EXPECT_EQ(ownForm.interval, form("0#002"));
    EXPECT_EQ(ownForm.length, "1" + other + "2" + other + "3");
    EXPECT_TRUE(notes.empty());
    KonfigPanel bad;
    EXPECT_EQ(MessageOf([&] { ReadKonfig("0\r\n0\r\n0" + other + "0" + other + "2\r\n", bad); }),
              "'0" + other + "0" + other + "2' is not a valid floating point value");
  }
}

TEST_F(SettingsFilesTest, KorekcjeStoresUnsigned16BitCorrectionsAndSingleFactors) {
  Write("korekcje.txt", "-1\r\n$10\r\n1.5\r\n0.1\r\n366.2\r\n3.90625E3\r\n");
  Corrections c;
  ReadKorekcjeFile(Path("korekcje.txt"), c);
  EXPECT_EQ(c.ZeroCorrection1, 65535);
  EXPECT_EQ(c.ZeroCorrection2, 16);
  EXPECT_EQ(c.Gain2Low, 1.5f);
  EXPECT_EQ(c.Gain2High, 0.1f);  // rounded once to single from the extended value
  EXPECT_EQ(c.ScaleLow, 366.2f);
  EXPECT_EQ(c.ScaleHigh, 3906.25f);
}

TEST_F(SettingsFilesTest, KorekcjeKeepsTheValuesReadBeforeAFailingLine) {
  Write("korekcje.txt", "7\r\n8\r\n2\r\nnone\r\n5\r\n6\r\n");
  Corrections c;
  c.Gain2High = 9.0f;
  EXPECT_EQ(MessageOf([&] { ReadKorekcjeFile(Path("korekcje.txt"), c); }),
            "'none' is not a valid floating point value");
  EXPECT_EQ(c.ZeroCorrection1, 7);
  EXPECT_EQ(c.ZeroCorrection2, 8);
  EXPECT_EQ(c.Gain2Low, 2.0f);
  EXPECT_EQ(c.Gain2High, 9.0f);
  EXPECT_EQ(c.ScaleLow, 0.0f);

  Write("korekcje.txt", "1\r\n2\r\n3\r\n4\r\n5\r\n1e39\r\n");
  EXPECT_EQ(MessageOf([&] { ReadKorekcjeFile(Path("korekcje.txt"), c); }),
            "Floating point overflow");
  Write("korekcje.txt", "1\r\n2\r\n3\r\n");  // line 4 reads as empty
  EXPECT_EQ(MessageOf([&] { ReadKorekcjeFile(Path("korekcje.txt"), c); }),
            "'' is not a valid floating point value");
}

TEST_F(SettingsFilesTest, WrittenKonfigHoldsEightCrLfLinesAndReadsBackToTheSamePanel) {
  KonfigPanel panel;
  panel.offset1 = -200;
  panel.offset2 = 13;
  panel.interval = "abc";  // kept as typed
  panel.length = "2;5";
  panel.high = true;
  panel.onHigh = true;
  panel.triggerEnabled = true;
  panel.chartResults = false;
  Write("konfig.txt", std::string(500, 'x'));
  WriteKonfigFile(Path("konfig.txt"), panel);
  EXPECT_EQ(Read("konfig.txt"), "-200\r\n13\r\nabc\r\n2;5\r\ntrue\r\ntrue\r\ntrue\r\nfalse\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 1) << "a temporary file was left";

  panel.interval = "0.003";
  panel.high = false;
  panel.onHigh = false;
  panel.chartResults = true;
  WriteKonfigFile(Path("konfig.txt"), panel);
  KonfigPanel back;
  back.high = back.onHigh = back.triggerEnabled = back.chartResults = false;
  ReadKonfigFile(Path("konfig.txt"), back, [](bool) {});
  EXPECT_EQ(back.offset1, -200);
  EXPECT_EQ(back.offset2, 13);
  EXPECT_EQ(back.interval, "0.003");
  EXPECT_EQ(back.length, "2;5");
  EXPECT_FALSE(back.high);
  EXPECT_FALSE(back.onHigh);
  EXPECT_TRUE(back.triggerEnabled);
  EXPECT_TRUE(back.chartResults);
}

// Runs `operation` in a forked child that first drops to an unprivileged user
// (permission bits do not bind root); answers the I/O code it raised, or -1
// when the child could not drop its privileges or did not exit.
int IoCodeAsUnprivileged(const std::function<void()>& operation) {
  const int code =
      testing::RunInChild(testing::DropToUnprivileged, [&] { return IoCodeOf(operation); });
  return code == testing::kSetupRefused ? -1 : code;
}

TEST_F(SettingsFilesTest, AReadOnlyKonfigIsAccessDeniedAndStaysWhole) {
  KonfigPanel panel;
  const std::string old = "1\r\n2\r\n0.001\r\n0.1\r\ntrue\r\ntrue\r\ntrue\r\ntrue\r\n";
  Write("konfig.txt", old);
  ::chmod(Path("konfig.txt").c_str(), 0444);
  EXPECT_EQ(IoCodeAsUnprivileged([&] { WriteKonfigFile(Path("konfig.txt"), panel); }), 5);
  EXPECT_EQ(Read("konfig.txt"), old);

  // A writable file in a folder that cannot take a new file is rewritten in
  // place.
  ::chmod(Path("konfig.txt").c_str(), 0666);
  ::chmod(dir_.c_str(), 0555);
  EXPECT_EQ(IoCodeAsUnprivileged([&] { WriteKonfigFile(Path("konfig.txt"), panel); }), 0);
  ::chmod(dir_.c_str(), 0755);
  EXPECT_EQ(Read("konfig.txt"), "0\r\n0\r\n0.001\r\n0.1\r\ntrue\r\ntrue\r\ntrue\r\ntrue\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 1);
}

TEST_F(SettingsFilesTest, KonfigOnAFullDiskIsDiskFullAndKeepsTheOldFile) {
  const std::string mountPoint = Path("small");
  fs::create_directory(mountPoint);
  const std::string target = mountPoint + "/konfig.txt";
  const std::string old = "0\r\n0\r\n0.001\r\n0.1\r\ntrue\r\ntrue\r\ntrue\r\ntrue\r\n";
  // The mount lives in the child's own namespace; each check is one bit.
  const int status = testing::RunInChild(
      [&] { return testing::MountPrivateTmpfs(mountPoint, "size=16k"); },
      [&] {
        std::ofstream(target, std::ios::binary) << old;
        std::ofstream(mountPoint + "/filler", std::ios::binary) << std::string(64 * 1024, 'f');
        KonfigPanel panel;
        const int code = IoCodeOf([&] { WriteKonfigFile(target, panel); });
        std::ifstream in(target, std::ios::binary);
        const std::string kept(std::istreambuf_iterator<char>(in), {});
        const auto entries = std::distance(fs::directory_iterator(mountPoint), {});
        return (code == 101 ? 0 : 1) | (kept == old ? 0 : 2) | (entries == 2 ? 0 : 4);
      });
  ASSERT_NE(status, -1) << "the child did not exit";
  if (status == testing::kSetupRefused) GTEST_SKIP() << "cannot mount a tmpfs here";
  EXPECT_EQ(status, 0) << "1: not Disk full; 2: old file lost; 4: leftovers";
}

}  // namespace
}  // namespace kolva::app
