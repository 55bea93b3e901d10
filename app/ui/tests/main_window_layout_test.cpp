// SPDX-License-Identifier: MIT
// The main window as its stored layout builds it, before any start-up step.
#include <QAbstractButton>
#include <QProgressBar>
#include <QToolButton>

#include "main_window_fixture.h"

namespace kolva::ui {
namespace {

class LayoutTest : public MainWindowTest {
 protected:
  // The window as built, without FormCreate.
  TForm1& Build() {
    form_.reset();
    bus_ = std::make_unique<RecordingBus>("", clock_);
    form_ =
        std::make_unique<TForm1>(TForm1Platform{*bus_, clock_, keyboard_, &latch_, [] {}, dir_});
    return *form_;
  }
  static std::string CaptionOf(const QWidget* widget) {
    if (auto* b = qobject_cast<const QAbstractButton*>(widget)) return b->text().toStdString();
    if (auto* l = qobject_cast<const QLabel*>(widget)) return l->text().toStdString();
    if (auto* e = qobject_cast<const QLineEdit*>(widget)) return e->text().toStdString();
    if (auto* g = qobject_cast<const QGroupBox*>(widget)) return g->title().toStdString();
    return "";
  }
};

TEST_F(LayoutTest, EveryControlAtItsPlaceWithItsCaption) {
  TForm1& form = Build();
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Form1"));
  EXPECT_EQ(form.pos(), QPoint(321, 133));
  EXPECT_EQ(form.size(), QSize(503, 452));
  const struct {
    const char* name;
    int left, top, width, height;
    const char* caption;
  } controls[] = {
      {"k1", 8, 8, 209, 81, "Input  1"},
      {"k2", 8, 96, 209, 81, "Input  2"},
      {"il_sred", 0, 208, 209, 25, ""},
      {"zeroa", 8, 264, 193, 16, ""},
      {"zerob", 8, 312, 193, 16, ""},
      {"Button1", 232, 8, 121, 25, "START  PANEL"},
      {"Button2", 360, 8, 113, 25, "STOP  PANEL"},
      {"Edit2", 384, 280, 81, 21, "0.001"},
      {"Edit3", 384, 304, 81, 21, "0.1"},
      {"Edit4", 336, 328, 129, 21, "results.txt"},
      {"Button3", 0, 376, 297, 41, "ACQUISITION  START"},
      {"CheckBox1", 312, 376, 169, 17, "schow results after acquisition"},
      {"got", 232, 256, 233, 17, ""},
      {"RadioGroup1", 232, 64, 177, 89, "TRIGGER input current state  "},
      {"RadioButton1", 240, 112, 145, 17, "IF '0' acquistition starts"},
      {"RadioButton2", 240, 128, 145, 17, "IF '1' acquistition starts"},
      {"CheckBox2", 240, 88, 113, 17, "Trigger enabled"},
      {"GroupBox1", 232, 168, 177, 57, "INPUT RANGE "},
      {"zakres_lo", 8, 16, 113, 17, "LOW    +-0,75V"},
      {"RadioButton6", 8, 32, 113, 17, "HIGH    +-8V"},
      {"CheckBox3", 8, 336, 153, 17, "Save parameters on exit"},
      {"bity", 8, 352, 193, 17, "Tylko bity przetwornika bez korekt"},
      {"SpeedButton1", 472, 328, 23, 22, "FS"},
  };
  for (const auto& c : controls) {
    auto* widget = Control<QWidget>(c.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->geometry(), QRect(c.left, c.top, c.width, c.height)) << c.name;
    EXPECT_EQ(CaptionOf(widget), c.caption) << c.name;
  }
  EXPECT_EQ(Control<QWidget>("zakres_lo")->parentWidget(), Control<QWidget>("GroupBox1"));
  EXPECT_EQ(Control<QWidget>("RadioButton1")->parentWidget(), &form);
}

TEST_F(LayoutTest, LabelsKeepTheirPlaceAndFitTheirText) {
  Build();
  const struct {
    const char* name;
    int left, top, width, height;
    const char* caption;
  } labels[] = {
      {"Label1", 16, 192, 97, 13, "Average count  -  20"},
      {"Label2", 16, 248, 62, 13, "Input 1 offset"},
      {"Label3", 96, 248, 6, 13, "0"},
      {"Label5", 16, 296, 62, 13, "Input 2 offset"},
      {"Label10", 96, 296, 6, 13, "0"},
      {"Label6", 224, 288, 156, 13, "Time betwen samples in seconds"},
      {"Label7", 240, 312, 140, 13, "Measurement lenth in minutes"},
      {"Label8", 216, 336, 116, 13, "File name to save results"},
      {"Label11", 216, 352, 267, 13, "Remember to specify unique name for your measurement"},
      {"Label9", 320, 400, 141, 13, "Press 'S' to stop process"},
      {"Label4", 240, 40, 117, 13, "Panels shows in millivolts"},
      {"Label12", 232, 240, 59, 13, "Progress bar"},
      {"Label13", 376, 232, 102, 20, "kolva.test"},
  };
  for (const auto& c : labels) {
    auto* label = Control<QLabel>(c.name);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->pos(), QPoint(c.left, c.top)) << c.name;
    EXPECT_EQ(label->height(), c.height) << c.name;
    EXPECT_GE(label->width(), c.width) << c.name;
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text())) << c.name;
    EXPECT_EQ(label->text().toStdString(), c.caption) << c.name;
  }
}

TEST_F(LayoutTest, FontsAndPanelColours) {
  Build();
  const struct {
    const char* name;
    const char* family;
    int pixels;
    bool bold;
  } fonts[] = {{"k1", "Jazz LET", 37, false},          {"k2", "Jazz LET", 37, false},
               {"Button1", "MS Sans Serif", 13, true}, {"Button2", "MS Sans Serif", 13, true},
               {"Button3", "MS Sans Serif", 11, true}, {"Label9", "MS Sans Serif", 11, true},
               {"Label13", "MS Sans Serif", 16, true}, {"Edit2", "MS Sans Serif", 11, false},
               {"Label1", "MS Sans Serif", 11, false}};
  for (const auto& c : fonts) {
    const QFont font = Control<QWidget>(c.name)->font();
    EXPECT_EQ(font.families().value(0).toStdString(), c.family) << c.name;
    EXPECT_EQ(font.pixelSize(), c.pixels) << c.name;
    EXPECT_EQ(font.bold(), c.bold) << c.name;
  }
  auto* k1 = Control<QLabel>("k1");
  EXPECT_EQ(k1->palette().color(QPalette::Window), QColor(0, 0x80, 0x80));
  EXPECT_EQ(k1->palette().color(QPalette::WindowText), QColor(0, 0xFF, 0));
  // The panel paints teal inside its bevels and lime text.
  const QImage image = k1->grab().toImage();
  EXPECT_EQ(image.pixelColor(12, 12), QColor(0, 0x80, 0x80));
  bool lime = false;
  for (int y = 0; y < image.height() && !lime; ++y) {
    for (int x = 0; x < image.width() && !lime; ++x) lime = image.pixelColor(x, y).green() > 0xC0;
  }
  EXPECT_TRUE(lime);
}

TEST_F(LayoutTest, ControlSettingsOfTheStoredLayout) {
  Build();
  auto* average = Control<QSlider>("il_sred");
  EXPECT_EQ(average->minimum(), 1);
  EXPECT_EQ(average->maximum(), 100);
  EXPECT_EQ(average->value(), 20);
  EXPECT_EQ(average->tickInterval(), 20);
  EXPECT_EQ(average->tickPosition(), QSlider::TicksBelow);
  EXPECT_EQ(average->orientation(), Qt::Horizontal);
  EXPECT_EQ(average->toolTip(), QStringLiteral("Number of the samples to average"));
  for (const char* name : {"zeroa", "zerob"}) {
    auto* bar = Control<QScrollBar>(name);
    EXPECT_EQ(bar->minimum(), -200) << name;
    EXPECT_EQ(bar->maximum(), 200) << name;
    EXPECT_EQ(bar->value(), 0) << name;
    EXPECT_EQ(bar->orientation(), Qt::Horizontal) << name;
  }
  auto* progress = Control<QProgressBar>("got");
  EXPECT_EQ(progress->minimum(), 0);
  EXPECT_EQ(progress->maximum(), 255);
  EXPECT_FALSE(progress->isTextVisible());
  EXPECT_TRUE(Control<QPushButton>("Button1")->isDefault());
  EXPECT_FALSE(Control<QPushButton>("Button2")->isDefault());
  const struct {
    const char* name;
    bool checked;
  } boxes[] = {{"CheckBox1", true},  {"CheckBox2", true},     {"CheckBox3", true},
               {"bity", false},      {"RadioButton1", false}, {"RadioButton2", true},
               {"zakres_lo", false}, {"RadioButton6", true}};
  for (const auto& c : boxes) {
    EXPECT_EQ(Control<QAbstractButton>(c.name)->isChecked(), c.checked) << c.name;
  }
  auto* timer1 = Control<QTimer>("Timer1");
  auto* timer3 = Control<QTimer>("Timer3");
  EXPECT_EQ(timer1->interval(), 500);
  EXPECT_FALSE(timer1->isActive());
  EXPECT_EQ(timer3->interval(), 500);
  EXPECT_TRUE(timer3->isActive());
  EXPECT_TRUE(bus_->writes.empty()) << "building the layout touches no port";
}

TEST_F(LayoutTest, TheTwoRadioPairsAreExclusiveEachOnItsOwn) {
  Build();
  auto* if0 = Control<QRadioButton>("RadioButton1");
  auto* if1 = Control<QRadioButton>("RadioButton2");
  auto* low = Control<QRadioButton>("zakres_lo");
  auto* high = Control<QRadioButton>("RadioButton6");
  if0->click();
  EXPECT_TRUE(if0->isChecked());
  EXPECT_FALSE(if1->isChecked());
  EXPECT_TRUE(high->isChecked()) << "the range pair is a group of its own";
  low->click();
  EXPECT_TRUE(low->isChecked());
  EXPECT_FALSE(high->isChecked());
  EXPECT_TRUE(if0->isChecked());
  if0->click();  // a checked radio button stays checked
  EXPECT_TRUE(if0->isChecked());
}

TEST_F(LayoutTest, TabOrderFollowsTheLayout) {
  TForm1& form = Build();
  const char* order[] = {"il_sred",      "zeroa",        "zerob",     "Button1",   "Button2",
                         "Edit2",        "Edit3",        "Edit4",     "Button3",   "CheckBox1",
                         "RadioButton1", "RadioButton2", "CheckBox2", "zakres_lo", "RadioButton6",
                         "CheckBox3",    "bity"};
  for (std::size_t i = 1; i < std::size(order); ++i) {
    QWidget* next = Control<QWidget>(order[i - 1])->nextInFocusChain();
    while (next != &form && next->focusPolicy() == Qt::NoFocus) next = next->nextInFocusChain();
    EXPECT_EQ(next->objectName().toStdString(), order[i]) << "after " << order[i - 1];
  }
}

TEST_F(LayoutTest, NumberDefaultsCarryTheLocaleDecimalSeparator) {
  platform::LocaleSettings comma;
  comma.decimalSeparator = ',';
  platform::SetCurrentLocale(comma);
  Build();
  EXPECT_EQ(Text("Edit2"), "0,001");
  EXPECT_EQ(Text("Edit3"), "0,1");
  EXPECT_EQ(form_->IntervalText(), "0,001");
  platform::SetCurrentLocale(platform::LocaleSettings{});
  Build();
  EXPECT_EQ(Text("Edit2"), "0.001");
  EXPECT_EQ(Text("Edit3"), "0.1");
  EXPECT_TRUE(shown_.empty());
}

}  // namespace
}  // namespace kolva::ui
