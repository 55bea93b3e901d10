// SPDX-License-Identifier: MIT
#include "app/ui/single_line_edit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include "app/ui/tests/main_window_fixture.h"

namespace kolva::ui {
namespace {

// Text pasted through the real clipboard into the panel's single-line fields
// stops at its first CR, LF or Ctrl-Z, and konfig.txt keeps its eight lines.
TEST_F(MainWindowTest, PastedLineBreaksEndThePasteInEverySingleLineField) {
  WriteSettings(kDefaultKonfig);
  TForm1& form = Create();
  ASSERT_TRUE(shown_.empty());
  const struct {
    const char* field;
    const char* before;
    int cursor;
    const char* pasted;
    const char* after;
  } cases[] = {
      {"Edit2", "0.", 2, "5\r\n0.1\r\ntrue", "0.5"},
      {"Edit3", "0.1", 1,
       "23\x1a"
       "99",
       "023.1"},
      {"Edit3", "0.1", 3, "\nfalse", "0.1"},
      {"Edit4", "res", 3, "ults.txt\rmore", "results.txt"},
  };
  for (const auto& c : cases) {
    auto* edit = Control<QLineEdit>(c.field);
    edit->setText(QString::fromLatin1(c.before));
    edit->setCursorPosition(c.cursor);
    QGuiApplication::clipboard()->setText(QString::fromLatin1(c.pasted));
    ASSERT_EQ(QGuiApplication::clipboard()->text(), QString::fromLatin1(c.pasted));
    edit->paste();
    EXPECT_EQ(Text(c.field), c.after) << c.field << " " << c.pasted;
  }
  // The operator's Ctrl+V takes the same way.
  auto* edit = Control<QLineEdit>("Edit2");
  edit->selectAll();
  QGuiApplication::clipboard()->setText(QStringLiteral("0.25\n7"));
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Text("Edit2"), "0.25");

  form.show();
  EXPECT_TRUE(form.close());
  EXPECT_EQ(Read("konfig.txt"), "0\r\n0\r\n0.25\r\n0.1\r\ntrue\r\ntrue\r\ntrue\r\ntrue\r\n");
  EXPECT_EQ(shown_, std::vector<std::string>{});
}

}  // namespace
}  // namespace kolva::ui
