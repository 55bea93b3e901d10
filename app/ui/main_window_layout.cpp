// SPDX-License-Identifier: MIT
// The main window's stored layout: every control at its place, with its
// caption, font and settings, and the tab order.
#include <algorithm>

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

#include "app/ui/main_window.h"
#include "app/ui/readout_panel.h"
#include "app/ui/single_line_edit.h"

namespace kolva::ui {
namespace {

constexpr QColor kTeal{0x00, 0x80, 0x80};
constexpr QColor kLime{0x00, 0xFF, 0x00};
constexpr QColor kMaroon{0x80, 0x00, 0x00};

// A font as the layout gives it: a negative height is the character height
// in pixels. A family the system lacks falls back through fontconfig; the
// layout's sans serif first tries the faces of the same widths, so captions
// fit the places the layout gives them.
QFont LayoutFont(const char* family, int pixels, bool bold = false) {
  QFont font;
  QStringList families{QString::fromLatin1(family)};
  if (families.front() == QStringLiteral("MS Sans Serif")) {
    families << QStringLiteral("Microsoft Sans Serif") << QStringLiteral("Arial")
             << QStringLiteral("Liberation Sans") << QStringLiteral("Nimbus Sans")
             << QStringLiteral("Helvetica");
  }
  font.setFamilies(families);
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

template <typename W>
W* Place(W* widget, const char* name, int left, int top, int width, int height) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(left, top, width, height);
  return widget;
}

// A label keeps its stored place and height; its width follows its text in
// the font actually found, as a self-sizing label does.
QLabel* MakeLabel(QWidget* parent, const char* name, int left, int top, int width, int height,
                  const char* caption, const QFont* font = nullptr) {
  auto* label =
      Place(new QLabel(QString::fromLatin1(caption), parent), name, left, top, width, height);
  if (font != nullptr) label->setFont(*font);
  label->resize(std::max(width, label->fontMetrics().horizontalAdvance(label->text()) + 1), height);
  return label;
}

}  // namespace

void TForm1::BuildLayout() {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Form1"));
  setFont(LayoutFont("MS Sans Serif", 11));
  move(321, 133);
  resize(503, 452);
  BuildReadouts();
  BuildAveragingAndOffsets();
  BuildButtonsAndEdits();
  BuildTriggerAndRange();
  BuildCheckBoxesAndLabels();
  BuildTimersAndTabOrder();
}

void TForm1::BuildReadouts() {
  auto* k1 = Place(new ReadoutPanel(this), "k1", 8, 8, 209, 81);
  k1_ = k1;
  k2_ = Place(new ReadoutPanel(this), "k2", 8, 96, 209, 81);
  const QFont font = ReadoutFont(37, k1->TextArea().width());
  k1_->setText(QStringLiteral("Input  1"));
  k2_->setText(QStringLiteral("Input  2"));
  for (QLabel* panel : {k1_, k2_}) {
    panel->setFont(font);
    panel->setAlignment(Qt::AlignCenter);
    QPalette colours = panel->palette();
    colours.setColor(QPalette::Window, kTeal);
    colours.setColor(QPalette::WindowText, kLime);
    panel->setPalette(colours);
  }
}

void TForm1::BuildAveragingAndOffsets() {
  il_sred_ = Place(new QSlider(Qt::Horizontal, this), "il_sred", 0, 208, 209, 25);
  il_sred_->setRange(1, 100);
  il_sred_->setValue(20);
  il_sred_->setSingleStep(1);
  il_sred_->setPageStep(2);
  il_sred_->setTickPosition(QSlider::TicksBelow);
  il_sred_->setTickInterval(20);
  il_sred_->setToolTip(QStringLiteral("Number of the samples to average"));
  zeroa_ = Place(new QScrollBar(Qt::Horizontal, this), "zeroa", 8, 264, 193, 16);
  zerob_ = Place(new QScrollBar(Qt::Horizontal, this), "zerob", 8, 312, 193, 16);
  for (QScrollBar* bar : {zeroa_, zerob_}) {
    bar->setRange(-200, 200);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    bar->setValue(0);
    bar->setFocusPolicy(Qt::StrongFocus);  // a tab stop, as the layout has it
  }
}

void TForm1::BuildButtonsAndEdits() {
  Button1_ =
      Place(new QPushButton(QStringLiteral("START  PANEL"), this), "Button1", 232, 8, 121, 25);
  Button2_ =
      Place(new QPushButton(QStringLiteral("STOP  PANEL"), this), "Button2", 360, 8, 113, 25);
  Button3_ = Place(new QPushButton(QStringLiteral("ACQUISITION  START"), this), "Button3", 0, 376,
                   297, 41);
  Button1_->setFont(LayoutFont("MS Sans Serif", 13, true));
  Button2_->setFont(LayoutFont("MS Sans Serif", 13, true));
  Button3_->setFont(LayoutFont("MS Sans Serif", 11, true));
  Button1_->setDefault(true);
  Edit2_ = Place(new QLineEdit(QStringLiteral("0,001"), this), "Edit2", 384, 280, 81, 21);
  Edit3_ = Place(new QLineEdit(QStringLiteral("0,1"), this), "Edit3", 384, 304, 81, 21);
  Edit4_ = Place(new QLineEdit(QStringLiteral("results.txt"), this), "Edit4", 336, 328, 129, 21);
  for (QLineEdit* edit : {Edit2_, Edit3_, Edit4_}) KeepSingleLine(edit);
  SpeedButton1_ = Place(new QToolButton(this), "SpeedButton1", 472, 328, 23, 22);
  SpeedButton1_->setText(QStringLiteral("FS"));
  SpeedButton1_->setFocusPolicy(Qt::NoFocus);
  got_ = Place(new QProgressBar(this), "got", 232, 256, 233, 17);
  got_->setRange(0, 255);
  got_->setValue(0);
  got_->setTextVisible(false);
}

void TForm1::BuildTriggerAndRange() {
  RadioGroup1_ = Place(new QGroupBox(QStringLiteral("TRIGGER input current state  "), this),
                       "RadioGroup1", 232, 64, 177, 89);
  RadioButton1_ = Place(new QRadioButton(QStringLiteral("IF '0' acquistition starts"), this),
                        "RadioButton1", 240, 112, 145, 17);
  RadioButton2_ = Place(new QRadioButton(QStringLiteral("IF '1' acquistition starts"), this),
                        "RadioButton2", 240, 128, 145, 17);
  RadioButton2_->setChecked(true);
  CheckBox2_ =
      Place(new QCheckBox(QStringLiteral("Trigger enabled"), this), "CheckBox2", 240, 88, 113, 17);
  CheckBox2_->setChecked(true);
  GroupBox1_ =
      Place(new QGroupBox(QStringLiteral("INPUT RANGE "), this), "GroupBox1", 232, 168, 177, 57);
  zakres_lo_ = Place(new QRadioButton(QStringLiteral("LOW    +-0,75V"), GroupBox1_), "zakres_lo", 8,
                     16, 113, 17);
  RadioButton6_ = Place(new QRadioButton(QStringLiteral("HIGH    +-8V"), GroupBox1_),
                        "RadioButton6", 8, 32, 113, 17);
  RadioButton6_->setChecked(true);
  auto* trigger = new QButtonGroup(this);
  trigger->setObjectName(QStringLiteral("TriggerPair"));
  trigger->addButton(RadioButton1_);
  trigger->addButton(RadioButton2_);
  auto* range = new QButtonGroup(this);
  range->setObjectName(QStringLiteral("RangePair"));
  range->addButton(zakres_lo_);
  range->addButton(RadioButton6_);
}

void TForm1::BuildCheckBoxesAndLabels() {
  CheckBox1_ = Place(new QCheckBox(QStringLiteral("schow results after acquisition"), this),
                     "CheckBox1", 312, 376, 169, 17);
  CheckBox1_->setChecked(true);
  CheckBox3_ = Place(new QCheckBox(QStringLiteral("Save parameters on exit"), this), "CheckBox3", 8,
                     336, 153, 17);
  CheckBox3_->setChecked(true);
  bity_ = Place(new QCheckBox(QStringLiteral("Tylko bity przetwornika bez korekt"), this), "bity",
                8, 352, 193, 17);
  Label1_ = MakeLabel(this, "Label1", 16, 192, 97, 13, "Average count  -  20");
  MakeLabel(this, "Label2", 16, 248, 62, 13, "Input 1 offset");
  Label3_ = MakeLabel(this, "Label3", 96, 248, 6, 13, "0");
  MakeLabel(this, "Label5", 16, 296, 62, 13, "Input 2 offset");
  Label10_ = MakeLabel(this, "Label10", 96, 296, 6, 13, "0");
  MakeLabel(this, "Label6", 224, 288, 156, 13, "Time betwen samples in seconds");
  MakeLabel(this, "Label7", 240, 312, 140, 13, "Measurement lenth in minutes");
  MakeLabel(this, "Label8", 216, 336, 116, 13, "File name to save results");
  MakeLabel(this, "Label11", 216, 352, 267, 13,
            "Remember to specify unique name for your measurement");
  const QFont bold11 = LayoutFont("MS Sans Serif", 11, true);
  const QFont bold16 = LayoutFont("MS Sans Serif", 16, true);
  MakeLabel(this, "Label9", 320, 400, 141, 13, "Press 'S' to stop process", &bold11);
  MakeLabel(this, "Label4", 240, 40, 117, 13, "Panels shows in millivolts");
  MakeLabel(this, "Label12", 232, 240, 59, 13, "Progress bar");
  MakeLabel(this, "Label13", 376, 232, 102, 20, "kolva.test", &bold16);
  BuildRunSummary();
}

// The free column right of the trigger and range boxes holds the last run's
// timing line when a reading was late; hidden otherwise, so the panel looks
// as stored. It wraps over as many lines as the column needs.
void TForm1::BuildRunSummary() {
  LateReadings_ = Place(new QLabel(this), "LateReadings", 416, 64, 79, 161);
  LateReadings_->setWordWrap(true);
  LateReadings_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QPalette colours = LateReadings_->palette();
  colours.setColor(QPalette::WindowText, kMaroon);
  LateReadings_->setPalette(colours);
  LateReadings_->hide();
}

void TForm1::BuildTimersAndTabOrder() {
  Timer1_ = new QTimer(this);
  Timer1_->setObjectName(QStringLiteral("Timer1"));
  Timer1_->setInterval(500);
  Timer3_ = new QTimer(this);
  Timer3_->setObjectName(QStringLiteral("Timer3"));
  Timer3_->setInterval(500);
  Timer3_->start();
  // The stored tab order; the panels, the progress bar and the bare radio
  // group take no focus, and the speed button is not a tab stop.
  QWidget* const order[] = {il_sred_,      zeroa_,        zerob_,     Button1_,   Button2_,
                            Edit2_,        Edit3_,        Edit4_,     Button3_,   CheckBox1_,
                            RadioButton1_, RadioButton2_, CheckBox2_, zakres_lo_, RadioButton6_,
                            CheckBox3_,    bity_};
  for (std::size_t i = 1; i < std::size(order); ++i) {
    setTabOrder(order[i - 1], order[i]);
  }
}

}  // namespace kolva::ui
