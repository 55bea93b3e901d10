// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sim_card.h"
#include "platform/tests/fake_clock.h"
#include "probe/bar_file.h"
#include "probe/card_search.h"

namespace kolva::probe {
namespace {

namespace fs = std::filesystem;

fs::path FreshFolder(const std::string& name) {
  const fs::path folder =
      fs::temp_directory_path() / ("kolva-probe-" + name + "-" + std::to_string(getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

struct ProbeRun {
  int status = -1;
  std::string errors;
};

// Runs the built probe in `folder` with KOLVA_CARD set to `setting`.
ProbeRun RunProbe(const fs::path& folder, const std::string& setting) {
  const std::string probe = std::string(std::getenv("KOLVA_BUILD_DIR")) + "/probe/probecard";
  int fds[2];
  EXPECT_EQ(pipe(fds), 0);
  const pid_t child = fork();
  if (child == 0) {
    dup2(fds[1], 2);
    close(fds[0]);
    if (chdir(folder.c_str()) != 0) _exit(126);
    setenv("KOLVA_CARD", setting.c_str(), 1);
    execl(probe.c_str(), "probecard", nullptr);
    _exit(127);
  }
  close(fds[1]);
  ProbeRun run;
  char buffer[256];
  ssize_t got = 0;
  while ((got = read(fds[0], buffer, sizeof buffer)) > 0) run.errors.append(buffer, got);
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(Probe, WritesTheSimulatedCardsBaseQuickly) {
  const fs::path folder = FreshFolder("sim");
  for (const auto& [setting, line] : std::vector<std::pair<std::string, std::string>>{
           {"sim", "$D800\r\n"}, {"sim,base=0x300,in1=sine:1V:1Hz", "$0300\r\n"}}) {
    const auto start = std::chrono::steady_clock::now();
    const ProbeRun run = RunProbe(folder, setting);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1800));
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(ReadFile(folder / "bar.txt"), line);
  }
  // Nothing but bar.txt is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
  fs::remove_all(folder);
}

TEST(Probe, BadSettingWritesNothingAndSaysWhy) {
  const fs::path folder = FreshFolder("bad");
  std::ofstream(folder / "bar.txt") << "$0300\r\n";
  const ProbeRun run = RunProbe(folder, "sim,base=0x300,colour=red");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.errors.find("\"colour=red\""), std::string::npos) << run.errors;
  EXPECT_EQ(ReadFile(folder / "bar.txt"), "$0300\r\n");  // the earlier file stands
  fs::remove_all(folder);
}

TEST(BarFile, IsWrittenWholeOrNotAtAll) {
  for (const auto& [base, line] :
       std::vector<std::pair<std::uint16_t, std::string>>{{0xD800, "$D800\r\n"},
                                                          {0x300, "$0300\r\n"},
                                                          {0, "$0000\r\n"},
                                                          {0xFFFF, "$FFFF\r\n"},
                                                          {0x0A0B, "$0A0B\r\n"}}) {
    EXPECT_EQ(BarFileText(base), line);
  }
  const fs::path folder = FreshFolder("bar");
  EXPECT_EQ(WriteBarFile(folder.string(), 0x2A0), "");
  EXPECT_EQ(ReadFile(folder / "bar.txt"), "$02A0\r\n");
  EXPECT_NE(WriteBarFile((folder / "missing").string(), 0x2A0), "");
  EXPECT_FALSE(fs::exists(folder / "missing"));
  fs::remove_all(folder);
}

TEST(CardSearch, ReadsPciIoRegions) {
  const std::string resource =
      "0x00000000fe000000 0x00000000fe0fffff 0x0000000000040200\n"  // memory
      "0x000000000000d800 0x000000000000d81f 0x0000000000040101\n"  // I/O, 32 ports
      "0x000000000000e000 0x000000000000e007 0x0000000000040101\n"  // I/O, only 8 ports
      "0x0000000000000000 0x0000000000000000 0x0000000000000000\n"
      "0x0000000000010000 0x000000000001001f 0x0000000000000100\n"  // beyond 16 bits
      "garbage\n"
      "0x000000000000c000 0x000000000000c00f 0x0000000000000101\n";
  EXPECT_EQ(PciIoStarts(resource), (std::vector<std::uint16_t>{0xD800, 0xC000}));
}

TEST(CardSearch, CandidatesArePciFirstThenSafeIsaBases) {
  const fs::path devices = FreshFolder("pci");
  const auto device = [&](const char* name, const char* resource) {
    fs::create_directories(devices / name);
    std::ofstream(devices / name / "resource") << resource;
  };
  device("0000:00:02.0", "0x000000000000e000 0x000000000000e01f 0x0000000000040101\n");
  device("0000:00:01.0", "0x000000000000d800 0x000000000000d80f 0x0000000000040101\n");
  device("0000:00:03.0", "0x00000000000001f0 0x00000000000001ff 0x0000000000000101\n");
  device("0000:00:04.0", "0x0000000000000300 0x000000000000030f 0x0000000000000101\n");
  const std::vector<std::uint16_t> bases = CandidateBases(devices.string());
  ASSERT_GE(bases.size(), 3u);
  EXPECT_EQ(bases[0], 0xD800);
  EXPECT_EQ(bases[1], 0xE000);
  EXPECT_EQ(bases[2], 0x300);
  EXPECT_EQ(bases.size(), 3u + 29u);  // 0x200..0x3F0 less 0x300 (listed), 0x370 and 0x3F0
  for (const std::uint16_t base : bases) {
    EXPECT_FALSE(platform::IsUnsafeCardWindow(base)) << base;
    EXPECT_EQ(std::count(bases.begin(), bases.end(), base), 1) << base;
  }
  EXPECT_EQ(CandidateBases((devices / "none").string()).size(), 30u);
  fs::remove_all(devices);
}

// A grant that answers as told, and port instructions backed by a simulated card.
class ScriptedGrant : public platform::PortGrant {
 public:
  platform::GrantResult answer = platform::GrantResult::kGranted;
  std::vector<std::uint16_t> asked;
  int drops = 0;
  platform::GrantResult Grant(std::uint16_t first, std::uint16_t count) override {
    EXPECT_EQ(count, 16);
    asked.push_back(first);
    return answer;
  }
  void DropForGood() override { ++drops; }
};

class SimInstructions : public platform::PortInstructions {
 public:
  explicit SimInstructions(platform::PortBus& bus) : bus_(bus) {}
  std::uint8_t In8(std::uint16_t port) override { return bus_.Read8(port); }
  std::uint32_t In32(std::uint16_t port) override { return bus_.Read32(port); }
  void Out32(std::uint16_t port, std::uint32_t value) override { bus_.Write32(port, value); }

 private:
  platform::PortBus& bus_;
};

TEST(CardSearch, FindsTheFirstIdentityNibbleNine) {
  platform::FakeClock clock;
  platform::SimCardOptions options;
  options.base = 0x280;
  platform::SimCard card(options, clock);
  SimInstructions ports(card);
  ScriptedGrant grant;
  const SearchResult found = SearchCard({0xD800, 0x200, 0x280, 0x300}, grant, ports);
  ASSERT_TRUE(found.base.has_value());
  EXPECT_EQ(*found.base, 0x280);
  EXPECT_EQ(grant.asked, (std::vector<std::uint16_t>{0xD800, 0x200, 0x280}));
  EXPECT_EQ(grant.drops, 1);

  options.identity = 0xA0;  // something answers, but not a card
  platform::SimCard other(options, clock);
  SimInstructions otherPorts(other);
  const SearchResult none = SearchCard({0x200, 0x280}, grant, otherPorts);
  EXPECT_FALSE(none.base.has_value());
  EXPECT_NE(none.why.find("no card"), std::string::npos);
}

TEST(CardSearch, RefusedGrantEndsTheSearch) {
  platform::FakeClock clock;
  platform::SimCard card(platform::SimCardOptions{}, clock);
  SimInstructions ports(card);
  ScriptedGrant grant;
  grant.answer = platform::GrantResult::kNoCapability;
  const SearchResult refused = SearchCard({0x200, 0xD800}, grant, ports);
  EXPECT_FALSE(refused.base.has_value());
  EXPECT_EQ(grant.asked.size(), 1u);
  EXPECT_EQ(grant.drops, 1);
  EXPECT_NE(refused.why.find("setcap"), std::string::npos);
}

}  // namespace
}  // namespace kolva::probe
