// SPDX-License-Identifier: MIT
#include "app/startup.h"

#include "app/run/card.h"
#include "app/text/errors.h"
#include "app/text/textconv.h"

namespace kolva::app {
namespace {

// The probe program has this long to leave bar.txt behind.
constexpr std::uint32_t kProbeDelayMs = 1800;

// Reads korekcje.txt into the card; the values read before a failing line
// stay in effect.
void ReadCorrections(const std::string& path, Card& card, const SettingsNote& note) {
  Corrections corrections = CorrectionsOf(card);
  try {
    ReadKorekcjeFile(path, corrections, note);
  } catch (...) {
    ApplyCorrections(corrections, card);
    throw;
  }
  ApplyCorrections(corrections, card);
}

}  // namespace

void RunStartup(Card& card, StartupControls& controls, const std::function<void()>& launchProbe,
                const std::string& folder, const SettingsNote& note) {
  if (launchProbe) launchProbe();
  card.Delay(kProbeDelayMs);
  // The error box shows a failure's message alone; the note also names
  // the file it came from.
  const auto reading = [&note](const char* name, const std::function<void()>& read) {
    try {
      read();
    } catch (const Error& error) {
      if (note) note(std::string(name) + ": " + error.what());
      throw;
    }
  };
  reading("bar.txt", [&] { card.BaseAddress = ReadBarFile(folder + "bar.txt"); });
  reading("konfig.txt", [&] {
    ReadKonfigFile(
        folder + "konfig.txt", controls, [&card](bool high) { card.SelectRange(high); }, note);
  });
  reading("korekcje.txt", [&] { ReadCorrections(folder + "korekcje.txt", card, note); });
  if (card.CardPresent()) {
    controls.SetCaption(kCardFoundCaption + HexText(card.BaseAddress, 4));
  } else {
    controls.SetCaption(kNoCardCaption);
    controls.DisableCardButtons();
  }
}

}  // namespace kolva::app
