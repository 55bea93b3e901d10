// SPDX-License-Identifier: MIT
#include "app/startup.h"

#include "app/card.h"
#include "app/textconv.h"

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

Corrections CorrectionsOf(const Card& card) {
  return {card.ZeroCorrection1, card.ZeroCorrection2, card.Gain2Low,
          card.Gain2High,       card.ScaleLow,        card.ScaleHigh};
}

void ApplyCorrections(const Corrections& corrections, Card& card) {
  card.ZeroCorrection1 = corrections.ZeroCorrection1;
  card.ZeroCorrection2 = corrections.ZeroCorrection2;
  card.Gain2Low = corrections.Gain2Low;
  card.Gain2High = corrections.Gain2High;
  card.ScaleLow = corrections.ScaleLow;
  card.ScaleHigh = corrections.ScaleHigh;
}

void RunStartup(Card& card, StartupControls& controls, const std::function<void()>& launchProbe,
                const std::string& folder, const SettingsNote& note) {
  if (launchProbe) launchProbe();
  card.Delay(kProbeDelayMs);
  card.BaseAddress = ReadBarFile(folder + "bar.txt");
  ReadKonfigFile(
      folder + "konfig.txt", controls,
      [&card](std::uint32_t word) { card.WritePort32(card.BaseAddress, word); }, note);
  ReadCorrections(folder + "korekcje.txt", card, note);
  if (IsCardIdentity(card.ReadPort8(card.BaseAddress))) {
    controls.SetCaption(kCardFoundCaption + HexText(card.BaseAddress, 4));
  } else {
    controls.SetCaption(kNoCardCaption);
    controls.DisableCardButtons();
  }
}

}  // namespace kolva::app
