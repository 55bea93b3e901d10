// SPDX-License-Identifier: MIT
// The simulated card's options (KOLVA_CARD) over arbitrary text: a text is
// taken or refused by name, and a taken one gives a card that answers.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "platform/sim_card.h"
#include "platform/sim_card_options.h"
#include "platform/tests/fake_clock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  kolva::platform::SimCardOptions options;
  try {
    options = kolva::platform::ParseSimCardOptions(text);
  } catch (const std::invalid_argument&) {
    return 0;
  }
  kolva::platform::FakeClock clock;
  clock.step = 997;
  kolva::platform::SimCard card(options, clock);
  for (int offset = 0; offset < 16; ++offset) {
    const auto port = static_cast<std::uint16_t>(options.base + offset);
    card.Write32(port, 32800);
    card.Read8(port);
    card.Read32(port);
    clock.AdvanceSeconds(0.37);
  }
  return 0;
}
