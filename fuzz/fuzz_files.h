// SPDX-License-Identifier: MIT
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace kolva::fuzz {

// A scratch folder for the life of the fuzzing process, ending in "/".
inline const std::string& ScratchFolder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/kolva-fuzz-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) std::abort();
    return std::string(pattern) + "/";
  }();
  return folder;
}

// Splits the input into `count` parts at the byte sequence "\n--\n"; parts
// missing at the end are empty.
inline std::vector<std::string> SplitInput(std::string_view input, std::size_t count) {
  std::vector<std::string> parts;
  constexpr std::string_view kMark = "\n--\n";
  while (parts.size() + 1 < count) {
    const std::size_t at = input.find(kMark);
    if (at == std::string_view::npos) break;
    parts.emplace_back(input.substr(0, at));
    input.remove_prefix(at + kMark.size());
  }
  parts.emplace_back(input);
  parts.resize(count);
  return parts;
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace kolva::fuzz
