// SPDX-License-Identifier: MIT
#include "app/app_title.h"

#include <gtest/gtest.h>

namespace kolva::app {
namespace {

TEST(ApplicationTitleTest, NameWithoutFolderAndExtensionFirstCharacterKept) {
  const struct {
    const char* path;
    const char* title;
  } cases[] = {
      {"/usr/local/bin/kolva", "kolva"},
      {"/opt/Kolva/KOLVA", "Kolva"},
      {"./Project1.EXE", "Project1"},
      {"/a.b/ProbeCard.Old.bin", "Probecard.old"},
      {"KartaADC", "Kartaadc"},
      {"/home/x/\xc3\x89TUDE", "\xc3\x89tude"},
      {"/bin/.Hidden", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ApplicationTitle(c.path), c.title) << c.path;
}

}  // namespace
}  // namespace kolva::app
