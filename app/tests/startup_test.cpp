// SPDX-License-Identifier: MIT
#include "app/startup.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/files/settings_files.h"
#include "app/files/tests/child_process.h"
#include "app/run/card.h"
#include "app/run/tests/fake_controls.h"
#include "app/text/errors.h"
#include "app/text/textconv.h"
#include "platform/locale_settings.h"
#include "platform/sim_card.h"
#include "platform/tests/fake_clock.h"
#include "platform/tests/fake_keyboard.h"

namespace kolva::app {
namespace {

namespace fs = std::filesystem;

// The simulated card with every access it sees noted, in order.
class RecordingBus : public platform::PortBus {
 public:
  RecordingBus(const platform::SimCardOptions& options, platform::Clock& clock)
      : card_(options, clock) {}
  std::uint8_t Read8(std::uint16_t port) override {
    log.push_back("read8 " + HexText(port, 4));
    return card_.Read8(port);
  }
  std::uint32_t Read32(std::uint16_t port) override {
    log.push_back("read32 " + HexText(port, 4));
    return card_.Read32(port);
  }
  void Write32(std::uint16_t port, std::uint32_t value) override {
    log.push_back("write " + HexText(port, 4) + " " + IntText(value));
    card_.Write32(port, value);
  }
  std::vector<std::string> log;

 private:
  platform::SimCard card_;
};

// What start-up sets on the window, recorded.
class StartupPanel : public StartupControls {
 public:
  int offset1 = 0, offset2 = 0;
  std::string interval = "0.001", length = "0.1";
  bool high = true, onHigh = true, triggerEnabled = true, chartResults = true;
  std::string caption = "Form1";
  bool cardButtonsEnabled = true;

  int Offset1() const override { return offset1; }
  int Offset2() const override { return offset2; }
  std::string IntervalText() const override { return interval; }
  std::string LengthText() const override { return length; }
  bool HighRange() const override { return high; }
  bool TriggerOnHigh() const override { return onHigh; }
  bool TriggerEnabled() const override { return triggerEnabled; }
  bool ChartResults() const override { return chartResults; }
  void SetOffset1(int position) override { offset1 = position; }
  void SetOffset2(int position) override { offset2 = position; }
  void SetIntervalText(const std::string& text) override {
    if (text == interval) return;
    interval = text;
    ParseFloat(text);
  }
  void SetLengthText(const std::string& text) override { length = text; }
  void SetHighRange(bool value) override { high = value; }
  void SetTriggerOnHigh(bool value) override { onHigh = value; }
  void SetTriggerEnabled(bool value) override { triggerEnabled = value; }
  void SetChartResults(bool value) override { chartResults = value; }
  void SetCaption(const std::string& text) override { caption = text; }
  void DisableCardButtons() override { cardButtonsEnabled = false; }
};

constexpr const char* kKonfig = "3\r\n-4\r\n0.002\r\n1\r\ntrue\r\nfalse\r\ntrue\r\nfalse\r\n";
constexpr const char* kKorekcje = "-1\r\n5\r\n1\r\n1\r\n366.2\r\n3906.25\r\n";

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetCurrentLocale(platform::LocaleSettings{});
    char pattern[] = "/tmp/kolva-startup-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = std::string(pattern) + "/";
    clock_.step = 1000;
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir_ + name, std::ios::binary) << bytes;
  }
  void WriteAll(const std::string& bar) const {
    Write("bar.txt", bar);
    Write("konfig.txt", kKonfig);
    Write("korekcje.txt", kKorekcje);
  }
  // Runs start-up on a simulated card set up by `simOptions`; answers the
  // message of the error that ended it, or "" when it ran through.
  std::string Run(const std::string& simOptions = "") {
    bus_ = std::make_unique<RecordingBus>(platform::ParseSimCardOptions(simOptions), clock_);
    card_ = std::make_unique<Card>(*bus_, clock_, keyboard_, controls_);
    const auto probe = [this] {
      bus_->log.push_back("probe");
      counterReadsAtProbe_ = clock_.counterReads;
    };
    notes_.clear();
    try {
      RunStartup(*card_, panel_, probe, dir_,
                 [this](const std::string& note) { notes_.push_back(note); });
    } catch (const Error& error) {
      return error.what();
    }
    return "";
  }

  std::string dir_;
  std::vector<std::string> notes_;
  platform::FakeClock clock_;
  platform::FakeKeyboard keyboard_;
  FakeControls controls_;
  StartupPanel panel_;
  std::unique_ptr<RecordingBus> bus_;
  std::unique_ptr<Card> card_;
  int counterReadsAtProbe_ = -1;
};

TEST_F(StartupTest, RunsProbeDelayFilesThenDetectionInThatOrder) {
  WriteAll("$D800\r\n");
  clock_.step = 1;
  ASSERT_EQ(Run(), "");
  EXPECT_EQ(counterReadsAtProbe_, 0) << "the probe starts before the delay";
  // Delay(1800) waits until the counter has moved by more than 2,129,824.
  EXPECT_EQ(clock_.counter, 2'129'825 + 1);
  const std::vector<std::string> expected = {"probe", "write D800 32800", "read8 D800"};
  EXPECT_EQ(bus_->log, expected);
  EXPECT_EQ(card_->BaseAddress, 0xD800);
  EXPECT_EQ(panel_.offset1, 3);
  EXPECT_EQ(panel_.offset2, -4);
  EXPECT_EQ(panel_.interval, "0.002");
  EXPECT_TRUE(panel_.high);
  EXPECT_FALSE(panel_.onHigh);
  EXPECT_EQ(card_->ZeroCorrection1, 65535);
  EXPECT_EQ(card_->ZeroCorrection2, 5);
  EXPECT_EQ(card_->ScaleLow, 366.2f);
  EXPECT_EQ(card_->ScaleHigh, 3906.25f);
  EXPECT_EQ(panel_.caption, "  Card found on adress  -  $D800");
  EXPECT_TRUE(panel_.cardButtonsEnabled);
}

TEST_F(StartupTest, TheSKeyCutsTheDelayShort) {
  WriteAll("$D800\r\n");
  keyboard_.scanCode = platform::KeyboardPort::kScanCodeS;
  ASSERT_EQ(Run(), "");
  EXPECT_LE(clock_.counterReads, 2);
  EXPECT_EQ(panel_.caption, "  Card found on adress  -  $D800");
}

TEST_F(StartupTest, IdentityByteDecidesCardOrNoCard) {
  const struct {
    const char* identity;
    bool card;
  } cases[] = {{"0x90", true}, {"0x9F", true}, {"0x8F", false}, {"0xA0", false}, {"0x00", false}};
  for (const auto& c : cases) {
    panel_ = StartupPanel{};
    WriteAll("768\r\n");
    ASSERT_EQ(Run(std::string("base=0x300,id=") + c.identity), "") << c.identity;
    EXPECT_EQ(panel_.caption, c.card ? "  Card found on adress  -  $0300" : "  No KOLVA card found")
        << c.identity;
    EXPECT_EQ(panel_.cardButtonsEnabled, c.card) << c.identity;
    // The range word reaches the base port before detection, card or not.
    const std::vector<std::string> expected = {"probe", "write 0300 32800", "read8 0300"};
    EXPECT_EQ(bus_->log, expected) << c.identity;
  }
}

TEST_F(StartupTest, NoCardAtTheBaseFromBarTxt) {
  WriteAll("$1230\r\n");  // the simulated card sits at D800: an empty bus here
  ASSERT_EQ(Run(), "");
  EXPECT_EQ(panel_.caption, "  No KOLVA card found");
  EXPECT_FALSE(panel_.cardButtonsEnabled);
  EXPECT_EQ(bus_->log[1], "write 1230 32800");
}

TEST_F(StartupTest, KonfigSelectingTheLowRangeWritesItsWord) {
  WriteAll("$D800\r\n");
  Write("konfig.txt", "0\r\n0\r\n0.001\r\n1\r\nfalse\r\n");
  ASSERT_EQ(Run(), "");
  EXPECT_FALSE(panel_.high);
  EXPECT_EQ(bus_->log[1], "write D800 32");
}

TEST_F(StartupTest, MissingBarTxtEndsStartUpBeforeAnyPortAccess) {
  Write("konfig.txt", kKonfig);
  Write("korekcje.txt", kKorekcje);
  EXPECT_EQ(Run(), "File not found");
  EXPECT_EQ(bus_->log, std::vector<std::string>{"probe"});
  EXPECT_EQ(card_->BaseAddress, 0);
  EXPECT_EQ(panel_.caption, "Form1");
  EXPECT_TRUE(panel_.cardButtonsEnabled);
  EXPECT_EQ(panel_.offset1, 0) << "konfig.txt must not be read";
}

TEST_F(StartupTest, BadKonfigLine3StopsBeforeKorekcjeAndDetection) {
  WriteAll("$D800\r\n");
  Write("konfig.txt", "9\r\n8\r\nfast\r\n2\r\nfalse\r\n");
  EXPECT_EQ(Run(), "'fast' is not a valid floating point value");
  EXPECT_EQ(panel_.offset1, 9);
  EXPECT_EQ(panel_.offset2, 8);
  EXPECT_EQ(panel_.length, "0.1");
  EXPECT_TRUE(panel_.high);
  EXPECT_EQ(card_->ZeroCorrection1, 0) << "korekcje.txt must not be read";
  EXPECT_EQ(bus_->log, std::vector<std::string>{"probe"});
  EXPECT_EQ(panel_.caption, "Form1");
  EXPECT_TRUE(panel_.cardButtonsEnabled);
}

TEST_F(StartupTest, FailingKorekcjeKeepsTheValuesReadBeforeIt) {
  WriteAll("$D800\r\n");
  Write("korekcje.txt", "12\r\n13\r\n1,5x\r\n");
  EXPECT_EQ(Run(), "'1,5x' is not a valid floating point value");
  EXPECT_EQ(card_->ZeroCorrection1, 12);
  EXPECT_EQ(card_->ZeroCorrection2, 13);
  EXPECT_EQ(card_->Gain2Low, 0.0f);
  EXPECT_EQ(panel_.caption, "Form1");
  const std::vector<std::string> expected = {"probe", "write D800 32800"};
  EXPECT_EQ(bus_->log, expected);

  panel_ = StartupPanel{};
  fs::remove(dir_ + "korekcje.txt");
  EXPECT_EQ(Run(), "File not found");
  EXPECT_EQ(panel_.caption, "Form1");
}

// Settings files an operator or a fault could leave: each ends start-up at
// once with a message that says what is wrong, and shows no text cut short
// as if it were whole.
TEST_F(StartupTest, HostileSettingsFilesEndStartUpWithAClearMessage) {
  const std::string ones(64, '1');
  const std::string zeros(kSettingsLineLimit, '0');
  const struct {
    const char* what;
    const char* file;
    std::string bytes;  // "fifo" and "zero" make a FIFO and a link to /dev/zero
    std::string message;
  } cases[] = {
      {"bar.txt as a FIFO", "bar.txt", "fifo", "File access denied"},
      {"konfig.txt linked to /dev/zero", "konfig.txt", "zero", "File access denied"},
      {"korekcje.txt as a FIFO", "korekcje.txt", "fifo", "File access denied"},
      {"a NUL inside a number", "bar.txt",
       std::string("D8\0"
                   "00\r\n",
                   6),
       "'D8\\000' is not a valid integer value"},
      {"an interval longer than a field holds", "konfig.txt", "0\r\n0\r\n0." + zeros + "1\r\n",
       "'0." + std::string(62, '0') + "...' is not a valid floating point value"},
      {"a length longer than a field holds", "konfig.txt", "0\r\n0\r\n0.5\r\n" + zeros + "1\r\n",
       "'" + std::string(64, '0') + "...' is not a valid floating point value"},
      {"a gain in too many digits", "korekcje.txt",
       "0\r\n0\r\n0." + std::string(150000, '0') + "1e150001\r\n",
       "'0." + std::string(62, '0') + "...' is not a valid floating point value"},
      {"a long line that is a number", "bar.txt", ones + "\r\n",
       "'" + ones + "' is not a valid integer value"},
  };
  for (const auto& c : cases) {
    for (const char* name : {"bar.txt", "konfig.txt", "korekcje.txt"}) fs::remove(dir_ + name);
    WriteAll("$D800\r\n");
    const std::string path = dir_ + c.file;
    if (c.bytes == "fifo" || c.bytes == "zero") {
      fs::remove(path);
      if (c.bytes == "fifo") {
        ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0);
      } else {
        fs::create_symlink("/dev/zero", path);
      }
    } else {
      Write(c.file, c.bytes);
    }
    EXPECT_EQ(Run(), c.message) << c.what;
    EXPECT_EQ(notes_, std::vector<std::string>{std::string(c.file) + ": " + c.message}) << c.what;
    EXPECT_EQ(panel_.caption, "Form1") << c.what;
  }
}

// One line of 100 MB in bar.txt: refused quickly, in bounded memory, with
// the start of the line and a visible cut.
TEST_F(StartupTest, AHundredMegabyteLineIsRefusedInBoundedMemory) {
  {
    std::ofstream bar(dir_ + "bar.txt", std::ios::binary);
    const std::string block(1 << 20, '7');
    for (int i = 0; i < 100; ++i) bar << block;
  }
  Write("konfig.txt", kKonfig);
  Write("korekcje.txt", kKorekcje);
  const int status = testing::RunInChild([] { return true; },
                                         [this] {
                                           const bool right =
                                               Run() == "'" + std::string(64, '7') +
                                                            "...' is not a valid integer value";
                                           rusage usage{};
                                           ::getrusage(RUSAGE_SELF, &usage);
                                           const bool small = usage.ru_maxrss < 64 * 1024;  // KiB
                                           return (right ? 0 : 1) | (small ? 0 : 2);
                                         });
  EXPECT_EQ(status, 0) << "1: wrong message, 2: more than 64 MiB used";
}

}  // namespace
}  // namespace kolva::app
