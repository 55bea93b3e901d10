// SPDX-License-Identifier: MIT
// The built kolva program under a private X server: a results file named
// with Polish letters, typed into the file name field or chosen in the file
// dialog, is created under exactly those UTF-8 bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/ui/tests/x_session.h"

namespace {

using namespace kolva::xsession;

const std::string kFolder = "pomiary_\xC5\xBC\xC3\xB3\xC5\x82w";  // pomiary_żółw

class EndToEndFileNames : public KolvaXTest {
 protected:
  // xdotool types a letter the keyboard map lacks by binding it to a spare
  // key for a moment; a slow pace lets the program read the map in time.
  void Type(const std::string& text) { Xdotool(display_.Name(), {"type", "--delay", "150", text}); }
  // Starts a run (Button3) and waits for `file` to be written whole.
  void RecordInto(const std::string& window, const fs::path& file) {
    ClickStart(window);
    ASSERT_TRUE(WaitFor([&] { return fs::exists(file); }, seconds(20)))
        << "no results file " << file;
    ASSERT_TRUE(WaitUntilStill(file, seconds(2), seconds(30)));
    EXPECT_EQ(ReadFile(file).rfind("Date of the measurement - ", 0), 0u);
  }
};

TEST_F(EndToEndFileNames, TypedAndChosenNamesInAPolishFolder) {
  // HIGH range, 0.01 s for 0.01 min, trigger and chart off.
  KolvaRun program(display_.Name(), "0\r\n0\r\n0.01\r\n0.01\r\ntrue\r\ntrue\r\nfalse\r\nfalse\r\n",
                   "sim", {"LC_ALL=C.UTF-8"});
  const fs::path folder = program.Folder() / kFolder;
  ASSERT_TRUE(fs::create_directory(folder));
  const std::string window = FindWindow(display_.Name(), "Card found", program);
  ASSERT_FALSE(window.empty()) << "no main window with the card's caption";

  // Typed into Edit4 (336, 328, 129 x 21), relative to the working folder.
  ClickAt(window, 400, 338);
  Xdotool(display_.Name(), {"key", "ctrl+a", "BackSpace"});
  Type(kFolder + "/r\xC3\xA9.txt");  // ré.txt
  RecordInto(window, folder / "r\xC3\xA9.txt");

  // Chosen in the dialog of the FS button (472, 328, 23 x 22): its file
  // name field has the focus; the default extension is added.
  ClickAt(window, 483, 339);
  std::string dialog;
  ASSERT_TRUE(WaitFor(
      [&] {
        dialog = Xdotool(display_.Name(), {"search", "--onlyvisible", "--name", "^Open$"});
        return !dialog.empty();
      },
      seconds(20)))
      << "no file dialog";
  dialog = dialog.substr(0, dialog.find('\n'));
  // Without a window manager the keys go to the window under the pointer.
  Xdotool(display_.Name(), {"mousemove", "--window", dialog, "300", "200"});
  Xdotool(display_.Name(), {"key", "ctrl+a", "BackSpace"});
  Type((folder / "wynik").string());
  Xdotool(display_.Name(), {"key", "Return"});
  ASSERT_TRUE(WaitFor(
      [&] {
        return Xdotool(display_.Name(), {"search", "--onlyvisible", "--name", "^Open$"}).empty();
      },
      seconds(20)))
      << "the dialog stayed";
  RecordInto(window, folder / "wynik.txt");

  // Nothing was created under an 8-bit form of the names.
  std::size_t entries = 0;
  for (const auto& entry : fs::directory_iterator(program.Folder())) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 4u) << "bar.txt, konfig.txt, korekcje.txt and the folder";
}

}  // namespace
