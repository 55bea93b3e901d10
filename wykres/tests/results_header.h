// SPDX-License-Identifier: MIT
#pragma once

namespace kolva::wykres::testing {

// The header of a results file measured on 07.03.2026 at 23:59:59.
inline constexpr const char* kResultsHeader =
    "Date of the measurement - 07.03.2026\r\nTime of the measurement - 23:59:59\r\n \r\n \r\n"
    "Time between samples in seconds - 0.001\r\n \r\nMeasurement lenth in minutes - 1\r\n \r\n"
    " \r\nNR of the sample    INP1     INP2     TIME BASE\r\n \r\n";

}  // namespace kolva::wykres::testing
