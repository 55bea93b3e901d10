// SPDX-License-Identifier: MIT
#pragma once

#include "platform/locale_settings.h"

namespace kolva::app::testing {

// Installs locale settings for one test and puts the previous ones back.
class ScopedLocale {
 public:
  explicit ScopedLocale(const platform::LocaleSettings& settings)
      : saved_(platform::CurrentLocale()) {
    platform::SetCurrentLocale(settings);
  }
  ~ScopedLocale() { platform::SetCurrentLocale(saved_); }
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;

 private:
  platform::LocaleSettings saved_;
};

// The fallback settings with the given separators.
inline platform::LocaleSettings Separators(char decimal, char thousands) {
  platform::LocaleSettings settings;
  settings.decimalSeparator = decimal;
  settings.thousandSeparator = thousands;
  return settings;
}

}  // namespace kolva::app::testing
