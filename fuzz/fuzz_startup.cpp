// SPDX-License-Identifier: MIT
// The start-up sequence over arbitrary bar.txt, konfig.txt and korekcje.txt
// (the input's three parts, split at "\n--\n"), on the simulated card with a
// clock that never waits. Start-up either runs through or ends with one of
// the system's errors.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/run/card.h"
#include "app/run/tests/fake_controls.h"
#include "app/startup.h"
#include "app/text/errors.h"
#include "app/text/textconv.h"
#include "fuzz/fuzz_files.h"
#include "platform/locale_settings.h"
#include "platform/sim_card.h"
#include "platform/tests/fake_clock.h"
#include "platform/tests/fake_keyboard.h"

namespace {

using namespace kolva;

// The window as start-up sees it; the interval text is checked when it
// changes, as the window's change handler does.
class Panel : public app::StartupControls {
 public:
  int Offset1() const override { return offset1_; }
  int Offset2() const override { return offset2_; }
  std::string IntervalText() const override { return interval_; }
  std::string LengthText() const override { return length_; }
  bool HighRange() const override { return high_; }
  bool TriggerOnHigh() const override { return onHigh_; }
  bool TriggerEnabled() const override { return trigger_; }
  bool ChartResults() const override { return chart_; }
  void SetOffset1(int position) override { offset1_ = Checked(position); }
  void SetOffset2(int position) override { offset2_ = Checked(position); }
  void SetIntervalText(const std::string& text) override {
    if (text == interval_) return;
    interval_ = text;
    app::ParseFloat(text);
  }
  void SetLengthText(const std::string& text) override { length_ = text; }
  void SetHighRange(bool high) override { high_ = high; }
  void SetTriggerOnHigh(bool onHigh) override { onHigh_ = onHigh; }
  void SetTriggerEnabled(bool enabled) override { trigger_ = enabled; }
  void SetChartResults(bool show) override { chart_ = show; }
  void SetCaption(const std::string&) override {}
  void DisableCardButtons() override {}

 private:
  // The reader promises positions within the scroll bar's range.
  static int Checked(int position) {
    if (position < app::kOffsetMin || position > app::kOffsetMax) __builtin_trap();
    return position;
  }
  int offset1_ = 0, offset2_ = 0;
  std::string interval_ = "0.001", length_ = "0.1";
  bool high_ = true, onHigh_ = true, trigger_ = true, chart_ = true;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::SetCurrentLocale(platform::LocaleSettings{});
  const std::string& folder = fuzz::ScratchFolder();
  const auto parts =
      fuzz::SplitInput(std::string_view(reinterpret_cast<const char*>(data), size), 3);
  fuzz::WriteFile(folder + "bar.txt", parts[0]);
  fuzz::WriteFile(folder + "konfig.txt", parts[1]);
  fuzz::WriteFile(folder + "korekcje.txt", parts[2]);

  platform::FakeClock clock;
  clock.step = 100000;  // the 1800 ms delay passes in a few reads
  platform::FakeKeyboard keyboard;
  platform::SimCard bus(platform::SimCardOptions{}, clock);
  app::FakeControls controls;
  app::Card card(bus, clock, keyboard, controls);
  Panel panel;
  try {
    app::RunStartup(card, panel, nullptr, folder);
  } catch (const app::Error&) {
  }
  return 0;
}
