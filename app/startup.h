// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>

#include "app/files/settings_files.h"

namespace kolva::app {

class Card;

// What the start-up sequence sets besides konfig.txt's controls.
class StartupControls : public KonfigControls {
 public:
  virtual void SetCaption(const std::string& caption) = 0;
  // Disables "START  PANEL" and "ACQUISITION  START".
  virtual void DisableCardButtons() = 0;
};

// The captions card detection leaves on the main window.
inline constexpr const char* kCardFoundCaption = "  Card found on adress  -  $";
inline constexpr const char* kNoCardCaption = "  No KOLVA card found";

// The main window's creation sequence, in this order: start the probe
// (`launchProbe`, whose result is ignored), Delay(1800) (cut short by the S
// key), bar.txt into the card's base address, konfig.txt into `controls`
// (its range word written to the card's base port), korekcje.txt into the
// card's corrections, then card detection: the caption with the base in four
// hexadecimal digits, or the no-card caption and the two card buttons
// disabled. `folder` is put as it stands before the three file names ("" for
// the current directory, else a path ending in "/").
// The first failure raises and ends the sequence there; whatever was applied
// before it stays. `note` receives the settings files' notes, and before a
// file's failure is raised, "<file>: <message>" (bar.txt, konfig.txt or
// korekcje.txt).
void RunStartup(Card& card, StartupControls& controls, const std::function<void()>& launchProbe,
                const std::string& folder = "", const SettingsNote& note = {});

}  // namespace kolva::app
