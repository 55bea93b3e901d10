// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>
#include <QTimerEvent>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/run/card.h"
#include "app/text/textconv.h"
#include "app/ui/error_box.h"
#include "app/ui/guard.h"
#include "app/ui/main_window.h"
#include "chart/qt/tests/qt_app.h"
#include "platform/locale_settings.h"
#include "platform/privileged_instruction.h"
#include "platform/scan_code_latch.h"
#include "platform/sim_card.h"
#include "platform/tests/fake_clock.h"
#include "platform/tests/fake_keyboard.h"

namespace kolva::ui {

// The simulated card with its writes noted; reads can be refused as a port
// the process may not touch.
class RecordingBus : public platform::PortBus {
 public:
  RecordingBus(const std::string& options, platform::Clock& clock)
      : card_(platform::ParseSimCardOptions(options), clock) {}
  std::uint8_t Read8(std::uint16_t port) override {
    if (refuse) throw platform::PrivilegedInstruction();
    return card_.Read8(port);
  }
  std::uint32_t Read32(std::uint16_t port) override {
    if (refuse) throw platform::PrivilegedInstruction();
    return card_.Read32(port);
  }
  void Write32(std::uint16_t port, std::uint32_t value) override {
    writes.push_back(app::HexText(port, 4) + " " + app::IntText(value));
    card_.Write32(port, value);
  }
  std::vector<std::string> writes;
  bool refuse = false;

 private:
  platform::SimCard card_;
};

// One TForm1 on the simulated card in a scratch folder, with a fake clock and
// keyboard; the error boxes it would show are recorded instead.
class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { chart::qt::testing::EnsureQtApp(); }
  void SetUp() override {
    platform::SetCurrentLocale(platform::LocaleSettings{});
    char pattern[] = "/tmp/kolva-window-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = std::string(pattern) + "/";
    clock_.step = 1000;
    ApplicationErrors().SetPresenter([this](const std::string& text) { shown_.push_back(text); });
  }
  void TearDown() override {
    form_.reset();
    ApplicationErrors().SetPresenter(ShowErrorBox);
    std::filesystem::remove_all(dir_);
  }

  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir_ + name, std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(dir_ + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Writes the three settings files the simulated card needs.
  void WriteSettings(const std::string& konfig,
                     const std::string& korekcje = "0\r\n0\r\n1\r\n1\r\n366.2\r\n3906.25\r\n") {
    Write("bar.txt", "$D800\r\n");
    Write("konfig.txt", konfig);
    Write("korekcje.txt", korekcje);
  }
  // Builds the window on a simulated card with `options` and, as program
  // entry does, runs FormCreate under the guard.
  TForm1& Create(const std::string& options = "", const std::string& folder = "") {
    form_.reset();
    bus_ = std::make_unique<RecordingBus>(options, clock_);
    form_ = std::make_unique<TForm1>(TForm1Platform{*bus_, clock_, keyboard_, &latch_,
                                                    [this] { ++probeLaunches_; },
                                                    folder.empty() ? dir_ : folder});
    Form1 = form_.get();
    Guarded([this] { form_->FormCreate(); });
    return *form_;
  }

  template <class W>
  W* Control(const char* name) const {
    W* widget = form_->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  std::string Text(const char* name) const {
    if (auto* label = form_->findChild<QLabel*>(QString::fromLatin1(name))) {
      return label->text().toStdString();
    }
    return Control<QLineEdit>(name)->text().toStdString();
  }
  // Delivers one tick of a timer as its timer event, without waiting.
  void Tick(const char* timer) const {
    auto* t = Control<QTimer>(timer);
    QTimerEvent event(t->timerId());
    QCoreApplication::sendEvent(t, &event);
  }

  // One tick of each panel timer that runs, as the event loop would give them.
  void TickWhileActive() const {
    for (const char* timer : {"Timer1", "Timer3"}) {
      if (Control<QTimer>(timer)->isActive()) Tick(timer);
    }
  }

  std::string dir_;
  platform::FakeClock clock_;
  platform::FakeKeyboard keyboard_;
  platform::ScanCodeLatch latch_;
  std::unique_ptr<RecordingBus> bus_;
  std::unique_ptr<TForm1> form_;
  std::vector<std::string> shown_;
  int probeLaunches_ = 0;
};

inline constexpr const char* kDefaultKonfig =
    "0\r\n0\r\n0.001\r\n0.1\r\ntrue\r\ntrue\r\ntrue\r\ntrue\r\n";

}  // namespace kolva::ui
