// SPDX-License-Identifier: MIT
#include "platform/hardware_ports.h"

#include <gtest/gtest.h>
#include <sys/capability.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/privileged_instruction.h"

namespace kolva::platform {
namespace {

// What the fakes saw, kept outside them because the bus owns the fakes.
struct Record {
  GrantResult answer = GrantResult::kGranted;
  std::vector<std::pair<std::uint16_t, std::uint16_t>> grants;
  int drops = 0;
  std::vector<std::uint16_t> accessed;
  std::vector<std::string> reports;
};

class FakeGrant : public PortGrant {
 public:
  explicit FakeGrant(Record& record) : record_(record) {}
  GrantResult Grant(std::uint16_t first, std::uint16_t count) override {
    record_.grants.emplace_back(first, count);
    return record_.answer;
  }
  void DropForGood() override { ++record_.drops; }

 private:
  Record& record_;
};

class FakeInstructions : public PortInstructions {
 public:
  explicit FakeInstructions(Record& record) : record_(record) {}
  std::uint8_t In8(std::uint16_t port) override { return Touch(port, 0x91); }
  std::uint32_t In32(std::uint16_t port) override { return Touch(port, 0x12345678); }
  void Out32(std::uint16_t port, std::uint32_t) override { Touch(port, 0); }

 private:
  std::uint32_t Touch(std::uint16_t port, std::uint32_t value) {
    record_.accessed.push_back(port);
    return value;
  }
  Record& record_;
};

class HardwarePortsTest : public ::testing::Test {
 protected:
  Record record;
  HardwarePorts ports{std::make_unique<FakeGrant>(record),
                      std::make_unique<FakeInstructions>(record),
                      [this](const std::string& line) { record.reports.push_back(line); }};
};

TEST(UnsafeCardWindow, CoversTheChipsetsPorts) {
  for (const auto& [first, unsafe] : std::vector<std::pair<std::uint16_t, bool>>{
           {0x000, true},   {0x0F0, true},   {0x0F8, true},  {0x100, false}, {0x160, false},
           {0x168, true},   {0x170, true},   {0x178, false}, {0x1E8, true},  {0x1F0, true},
           {0x1F8, false},  {0x300, false},  {0x360, false}, {0x367, true},  {0x370, true},
           {0x377, false},  {0x3E0, false},  {0x3E7, true},  {0x3F0, true},  {0x3F8, false},
           {0xCE8, false},  {0xCE9, true},   {0xCF0, true},  {0xCF8, true},  {0xD00, false},
           {0xD800, false}, {0xFFF0, false}, {0xFFF1, true}}) {
    EXPECT_EQ(IsUnsafeCardWindow(first), unsafe) << std::hex << first;
  }
}

TEST_F(HardwarePortsTest, FirstAccessGrantsTheCardsSixteenPortsOnce) {
  EXPECT_EQ(ports.Read32(0xD80C), 0x12345678u);  // the data port comes first
  EXPECT_EQ(ports.Read8(0xD800), 0x91);
  ports.Write32(0xD800, 32);
  EXPECT_EQ(ports.Read8(0xD80F), 0x91);
  EXPECT_EQ(record.grants, (std::vector<std::pair<std::uint16_t, std::uint16_t>>{{0xD800, 16}}));
  EXPECT_EQ(record.drops, 1);
  EXPECT_EQ(record.accessed, (std::vector<std::uint16_t>{0xD80C, 0xD800, 0xD800, 0xD80F}));
  EXPECT_TRUE(record.reports.empty());
}

TEST_F(HardwarePortsTest, AccessOutsideTheWindowIsPrivileged) {
  ports.Read8(0x300);
  for (const auto& access : std::vector<std::function<void()>>{
           [&] { ports.Read8(0x310); },
           [&] { ports.Read8(0x2FF); },
           [&] { ports.Read32(0x30D); },  // its last byte is 0x310
           [&] { ports.Write32(0xD800, 32); },
       }) {
    EXPECT_THROW(access(), PrivilegedInstruction);
  }
  EXPECT_EQ(record.accessed, (std::vector<std::uint16_t>{0x300}));
  EXPECT_EQ(record.grants.size(), 1u);
}

TEST_F(HardwarePortsTest, KeyboardControllerIsNeverTouched) {
  EXPECT_THROW(ports.Read8(0x60), PrivilegedInstruction);
  EXPECT_THROW(ports.Read32(0x5E), PrivilegedInstruction);
  EXPECT_TRUE(record.grants.empty());
  EXPECT_TRUE(record.accessed.empty());
}

TEST_F(HardwarePortsTest, WindowOverTheChipsetIsRefusedBeforeAnyGrant) {
  for (const std::uint16_t port : {0x1F0, 0x1F7, 0x376, 0x3F6, 0xCFC, 0x0020, 0x0004}) {
    EXPECT_THROW(ports.Write32(port, 32), PrivilegedInstruction) << port;
  }
  EXPECT_TRUE(record.grants.empty());
  EXPECT_TRUE(record.accessed.empty());
  // Refusal fixes no window: a sound base still works afterwards.
  ports.Write32(0x300, 32);
  EXPECT_EQ(record.accessed, (std::vector<std::uint16_t>{0x300}));
}

TEST_F(HardwarePortsTest, RefusedGrantIsPrivilegedAndSaysWhatToFixOnce) {
  record.answer = GrantResult::kKernelRefused;
  try {
    ports.Read8(0xD800);
    FAIL() << "no refusal";
  } catch (const PrivilegedInstruction& refusal) {
    EXPECT_STREQ(refusal.what(), "Privileged instruction");
  }
  // Every later access is refused again, on this thread or another, and
  // says nothing more: the first cause is the one to fix.
  record.answer = GrantResult::kNoCapability;
  for (int tick = 0; tick < 3; ++tick) EXPECT_THROW(ports.Read8(0xD800), PrivilegedInstruction);
  std::thread sampler([&] { EXPECT_THROW(ports.Read32(0xD80C), PrivilegedInstruction); });
  sampler.join();
  EXPECT_TRUE(record.accessed.empty());
  EXPECT_EQ(record.grants.size(), 5u);
  ASSERT_EQ(record.reports.size(), 1u);
  EXPECT_NE(record.reports[0].find("lockdown"), std::string::npos);
  EXPECT_EQ(record.reports[0].find("setcap"), std::string::npos);
  EXPECT_NE(GrantRefusalText(GrantResult::kNoCapability).find("setcap cap_sys_rawio"),
            std::string::npos);
}

TEST_F(HardwarePortsTest, EachThreadIsGrantedOnItsFirstAccess) {
  ports.Read8(0xD800);
  std::thread other([&] {
    ports.Read8(0xD804);
    ports.Read8(0xD804);
  });
  other.join();
  ports.Read8(0xD800);
  EXPECT_EQ(record.grants.size(), 2u);
  EXPECT_EQ(record.grants[1], (std::pair<std::uint16_t, std::uint16_t>{0xD800, 16}));
  EXPECT_EQ(record.drops, 2);
}

TEST_F(HardwarePortsTest, ThreadsCreatedAfterTheGrantInheritIt) {
  ports.Read8(0xD800);
  // The creator has given the capability up: its new thread has none either,
  // but holds the ports through the creator's grant.
  record.answer = GrantResult::kNoCapability;
  std::thread inheriting([&] { EXPECT_NO_THROW(ports.Read8(0xD804)); });
  inheriting.join();
  // A kernel refusal is never taken for an inherited grant.
  record.answer = GrantResult::kKernelRefused;
  std::thread refused([&] { EXPECT_THROW(ports.Read8(0xD804), PrivilegedInstruction); });
  refused.join();
  EXPECT_EQ(record.accessed, (std::vector<std::uint16_t>{0xD800, 0xD804}));
}

TEST_F(HardwarePortsTest, WithoutAnyGrantNoThreadInherits) {
  record.answer = GrantResult::kNoCapability;
  std::thread first([&] { EXPECT_THROW(ports.Read8(0xD800), PrivilegedInstruction); });
  first.join();
  EXPECT_THROW(ports.Read8(0xD800), PrivilegedInstruction);
  EXPECT_TRUE(record.accessed.empty());
}

bool RawIoIn(cap_flag_t set) {
  cap_t caps = cap_get_proc();
  cap_flag_value_t value = CAP_CLEAR;
  cap_get_flag(caps, CAP_SYS_RAWIO, set, &value);
  cap_free(caps);
  return value == CAP_SET;
}

// The real grant, on a thread of its own (capabilities are per thread). It
// changes the kernel's port permissions but touches no port.
TEST(LinuxPortGrant, KeepsTheCapabilityOutOfReachExceptForTheGrant) {
  std::thread thread([] {
    const bool permitted = RawIoIn(CAP_PERMITTED);
    const auto grant = MakeLinuxPortGrant();
    EXPECT_FALSE(RawIoIn(CAP_EFFECTIVE));
    const GrantResult result = grant->Grant(0xD800, 16);
    EXPECT_FALSE(RawIoIn(CAP_EFFECTIVE));
    if (permitted) {
      EXPECT_NE(result, GrantResult::kNoCapability);
    } else {
      EXPECT_EQ(result, GrantResult::kNoCapability);
    }
    grant->DropForGood();
    EXPECT_FALSE(RawIoIn(CAP_PERMITTED));
    // Without the capability nothing is granted any more (a kernel without port
    // I/O says so before it looks at capabilities).
    EXPECT_NE(grant->Grant(0xD800, 16), GrantResult::kGranted);
  });
  thread.join();
}

}  // namespace
}  // namespace kolva::platform
