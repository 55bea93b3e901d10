// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace kolva::probe {

// bar.txt's one line for a base address: "$" and four upper-case hexadecimal
// digits, ended with CR LF.
std::string BarFileText(std::uint16_t base);

// Writes bar.txt in `folder` whole or not at all: a temporary file in the
// same folder, flushed to disk, then renamed over bar.txt. Returns an empty
// string on success, else what went wrong.
std::string WriteBarFile(const std::string& folder, std::uint16_t base);

}  // namespace kolva::probe
