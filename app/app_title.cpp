// SPDX-License-Identifier: MIT
#include "app/app_title.h"

namespace kolva::app {

std::string ApplicationTitle(std::string_view programPath) {
  const auto slash = programPath.rfind('/');
  std::string_view name =
      slash == std::string_view::npos ? programPath : programPath.substr(slash + 1);
  const auto dot = name.rfind('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  std::string title(name);
  for (std::size_t i = 1; i < title.size(); ++i) {
    if (title[i] >= 'A' && title[i] <= 'Z') title[i] = static_cast<char>(title[i] - 'A' + 'a');
  }
  return title;
}

}  // namespace kolva::app
