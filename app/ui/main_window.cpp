// SPDX-License-Identifier: MIT
#include "app/ui/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <cstdio>

#include "app/files/settings_files.h"
#include "app/run/acquisition_run.h"
#include "app/run/card.h"
#include "app/run/run_summary.h"
#include "app/text/textconv.h"
#include "app/ui/error_box.h"
#include "app/ui/guard.h"
#include "platform/locale_settings.h"
#include "platform/privileged_instruction.h"
#include "platform/scan_code_latch.h"
#include "wykres/form2.h"

namespace kolva::ui {

TForm1* Form1 = nullptr;

namespace {

// Control texts are the program's 8-bit text, one byte per character.
QString Latin1(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string Bytes(const QString& text) {
  return text.toLatin1().toStdString();
}

// A file name is the file system's bytes, in the user's encoding (UTF-8),
// whatever its letters; only the program's own texts are 8-bit.
std::string FileSystemName(const QString& name) {
  return QFile::encodeName(name).toStdString();
}

// A self-sizing label: its width follows its new text, its place stays.
void SetLabelCaption(QLabel* label, const std::string& caption) {
  label->setText(Latin1(caption));
  label->resize(label->fontMetrics().horizontalAdvance(label->text()) + 1, label->height());
}

}  // namespace

TForm1::TForm1(TForm1Platform platform, QWidget* parent)
    : QWidget(parent), platform_(std::move(platform)) {
  BuildLayout();
  // The stored defaults of the two number edits carry the locale's decimal
  // separator, so a run can start with them under any locale.
  const QChar separator = QLatin1Char(platform::CurrentLocale().decimalSeparator);
  Edit2_->setText(QStringLiteral("0") + separator + QStringLiteral("001"));
  Edit3_->setText(QStringLiteral("0") + separator + QStringLiteral("1"));
  card_ = std::make_unique<app::Card>(platform_.bus, platform_.clock, platform_.keyboard, *this);
  frameTimer_ = new QTimer(this);
  frameTimer_->setObjectName(QStringLiteral("RunFrameTimer"));
  frameTimer_->setTimerType(Qt::PreciseTimer);
  frameTimer_->setInterval(app::AcquisitionRun::kFrameMs);
  ConnectHandlers();
  ConnectPanelChanges();
  // Results files open from here as from the chart window; no control shows it.
  setAcceptDrops(true);
  auto* open = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this);
  open->setContext(Qt::WindowShortcut);
  connect(open, &QShortcut::activated, this,
          [this] { Guarded([this] { OpenResultsWithDialog(); }); });
}

TForm1::~TForm1() {
  if (Form1 == this) Form1 = nullptr;
}

void TForm1::ConnectHandlers() {
  const auto guarded = [this](void (TForm1::*handler)()) {
    return [this, handler] { Guarded([this, handler] { (this->*handler)(); }); };
  };
  const auto whenChecked = [this](void (TForm1::*handler)()) {
    return [this, handler](bool checked) {
      if (checked) Guarded([this, handler] { (this->*handler)(); });
    };
  };
  connect(Timer1_, &QTimer::timeout, this, guarded(&TForm1::Timer1Timer));
  connect(Timer3_, &QTimer::timeout, this, guarded(&TForm1::Timer3Timer));
  connect(Button1_, &QPushButton::clicked, this, guarded(&TForm1::Button1Click));
  connect(Button2_, &QPushButton::clicked, this, guarded(&TForm1::Button2Click));
  connect(Button3_, &QPushButton::clicked, this, guarded(&TForm1::Button3Click));
  connect(il_sred_, &QSlider::valueChanged, this, guarded(&TForm1::il_sredChange));
  connect(zeroa_, &QScrollBar::valueChanged, this, guarded(&TForm1::zeroaChange));
  connect(zerob_, &QScrollBar::valueChanged, this, guarded(&TForm1::zerobChange));
  // A radio button's click handler runs when it becomes checked, by the
  // operator or by code, not when an already checked button is clicked again.
  connect(zakres_lo_, &QRadioButton::toggled, this, whenChecked(&TForm1::zakres_loClick));
  connect(RadioButton6_, &QRadioButton::toggled, this, whenChecked(&TForm1::RadioButton6Click));
  connect(SpeedButton1_, &QToolButton::clicked, this, guarded(&TForm1::SpeedButton1Click));
  connect(Edit2_, &QLineEdit::textChanged, this, guarded(&TForm1::Edit2Change));
  connect(frameTimer_, &QTimer::timeout, this, guarded(&TForm1::RunFrame));
}

// Every change of what a run reads goes to the run in progress.
void TForm1::ConnectPanelChanges() {
  const auto publish = [this] {
    if (RunActive()) Guarded([this] { run_->PanelChanged(); });
  };
  for (QAbstractSlider* slider :
       {static_cast<QAbstractSlider*>(il_sred_), static_cast<QAbstractSlider*>(zeroa_),
        static_cast<QAbstractSlider*>(zerob_)}) {
    connect(slider, &QAbstractSlider::valueChanged, this, publish);
  }
  for (QAbstractButton* button :
       {static_cast<QAbstractButton*>(zakres_lo_), static_cast<QAbstractButton*>(RadioButton6_),
        static_cast<QAbstractButton*>(RadioButton1_), static_cast<QAbstractButton*>(RadioButton2_),
        static_cast<QAbstractButton*>(CheckBox1_), static_cast<QAbstractButton*>(CheckBox2_),
        static_cast<QAbstractButton*>(bity_)}) {
    connect(button, &QAbstractButton::toggled, this, publish);
  }
  for (QLineEdit* edit : {Edit2_, Edit3_, Edit4_}) {
    connect(edit, &QLineEdit::textChanged, this, publish);
  }
}

bool TForm1::RunActive() const {
  return run_ != nullptr && run_->Active();
}

void TForm1::FormCreate() {
  // The window keeps its boxes for errors; stderr also gets the failing
  // file's name, and the note that a settings file was written with the
  // other decimal separator.
  StopTimersOnPortFailure([this] {
    app::RunStartup(*card_, *this, platform_.launchProbe, platform_.folder,
                    [](const std::string& note) {
                      std::fputs(("kolva: " + DisplayText(note) + "\n").c_str(), stderr);
                    });
  });
}

// A port the process may not use refuses every access: after one refusal the
// live readout and the trigger display stop, so that the operator sees one
// box rather than one after every OK. START PANEL starts both again.
void TForm1::StopTimersOnPortFailure(const std::function<void()>& portUse) {
  try {
    portUse();
  } catch (const platform::PrivilegedInstruction&) {
    Timer1_->stop();
    Timer3_->stop();
    throw;
  }
}

void TForm1::FormClose() {
  if (!CheckBox3_->isChecked()) return;
  app::WriteKonfigFile(platform_.folder + "konfig.txt", *this);
}

void TForm1::Timer1Timer() {
  if (!RunActive()) {
    StopTimersOnPortFailure(
        [this] { card_->ReadInputs(static_cast<std::uint8_t>(il_sred_->value())); });
  }
  k1_->setText(Latin1(app::FormatText("%4.3f", card_->Input1Value)));
  k2_->setText(Latin1(app::FormatText("%4.3f", card_->Input2Value)));
}

void TForm1::Timer3Timer() {
  int level = RunActive() ? run_->TriggerLevel() : -1;
  if (!RunActive()) {
    StopTimersOnPortFailure([this, &level] {
      const auto status =
          card_->ReadPort8(static_cast<std::uint16_t>(card_->BaseAddress + app::Card::kStatusPort));
      level = (status >> 7) & 1;
    });
  }
  if (level < 0) return;
  RadioGroup1_->setTitle(Latin1("TRIGGER input current state -  " + app::IntText(level) + "  "));
}

void TForm1::Button1Click() {
  SetTimer1Enabled(true);
  if (!Timer3_->isActive()) Timer3_->start();  // stopped by a port failure
}

void TForm1::Button2Click() {
  SetTimer1Enabled(false);
}

// Timer1.Enabled: switching on a timer that runs changes nothing, so a
// second START PANEL does not restart the wait for the next reading.
void TForm1::SetTimer1Enabled(bool enabled) {
  if (Timer1_->isActive() == enabled) return;
  if (enabled) {
    Timer1_->start();
  } else {
    Timer1_->stop();
  }
}

void TForm1::SetAcquisitionRun(app::AcquisitionRun* run) {
  run_ = run;
  if (run_ != nullptr) {
    run_->SetEndReport([this](const app::RunTiming& timing) { ShowRunSummary(timing); });
  }
}

void TForm1::Button3Click() {
  if (run_ == nullptr || run_->Active()) return;
  run_->Button3Click();
  if (!run_->Active()) return;
  HideRunSummary();
  frameTimer_->start();
}

void TForm1::ShowRunSummary(const app::RunTiming& timing) {
  const std::string line = app::RunSummaryLine(timing);
  std::fputs(("kolva: " + line + "\n").c_str(), stderr);
  if (!app::HadLateReadings(timing)) return;
  LateReadings_->setText(Latin1(line));
  LateReadings_->show();
  got_->setToolTip(Latin1(line));
}

void TForm1::HideRunSummary() {
  LateReadings_->hide();
  LateReadings_->clear();
  got_->setToolTip({});
}

void TForm1::RunFrame() {
  if (run_ == nullptr) return;
  try {
    StopTimersOnPortFailure([this] { run_->Update(); });
  } catch (...) {
    if (!run_->Active()) frameTimer_->stop();
    throw;
  }
  if (!run_->Active()) frameTimer_->stop();
}

void TForm1::il_sredChange() {
  SetLabelCaption(Label1_, "Average count - " + app::IntText(il_sred_->value()));
}

void TForm1::zeroaChange() {
  SetLabelCaption(Label3_, app::IntText(zeroa_->value()));
}

void TForm1::zerobChange() {
  SetLabelCaption(Label10_, app::IntText(zerob_->value()));
}

void TForm1::zakres_loClick() {
  if (RunActive()) return;  // the run writes the range word before its next reading
  if (!zakres_lo_->isChecked()) return;
  StopTimersOnPortFailure([this] { card_->SelectRange(false); });
}

void TForm1::RadioButton6Click() {
  if (RunActive()) return;  // the run writes the range word before its next reading
  if (!RadioButton6_->isChecked()) return;
  StopTimersOnPortFailure([this] { card_->SelectRange(true); });
}

void TForm1::SpeedButton1Click() {
  QFileDialog dialog(this);
  dialog.setObjectName(QStringLiteral("OpenDialog1"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(QStringLiteral("*.txt (*.txt)"));
  dialog.setDefaultSuffix(QStringLiteral("txt"));
  dialog.selectFile(QStringLiteral("results"));
  if (dialog.exec() != QDialog::Accepted) return;
  const QStringList chosen = dialog.selectedFiles();
  if (!chosen.isEmpty()) Edit4_->setText(chosen.first());
}

void TForm1::Edit2Change() {
  app::ParseFloat(Bytes(Edit2_->text()));
}

int TForm1::AveragingCount() const {
  return il_sred_->value();
}
int TForm1::Offset1() const {
  return zeroa_->value();
}
int TForm1::Offset2() const {
  return zerob_->value();
}
bool TForm1::LowRange() const {
  return zakres_lo_->isChecked();
}
bool TForm1::HighRange() const {
  return RadioButton6_->isChecked();
}
bool TForm1::RawCounts() const {
  return bity_->isChecked();
}
bool TForm1::TriggerEnabled() const {
  return CheckBox2_->isChecked();
}
bool TForm1::TriggerOnHigh() const {
  return RadioButton2_->isChecked();
}
bool TForm1::TriggerOnLow() const {
  return RadioButton1_->isChecked();
}
std::string TForm1::IntervalText() const {
  return Bytes(Edit2_->text());
}
std::string TForm1::LengthText() const {
  return Bytes(Edit3_->text());
}
std::string TForm1::ResultsFileName() const {
  return FileSystemName(Edit4_->text());
}
bool TForm1::ChartResults() const {
  return CheckBox1_->isChecked();
}

void TForm1::SetLiveReadout(bool on) {
  SetTimer1Enabled(on);
}

void TForm1::SetRunButton(const std::string& caption, bool enabled) {
  Button3_->setText(Latin1(caption));
  Button3_->setEnabled(enabled);
}

void TForm1::SetProgress(int position) {
  got_->setValue(position);
}

void TForm1::SetOffset1(int position) {
  if (zeroa_->value() == position) return;
  {
    const QSignalBlocker blocker(zeroa_);
    zeroa_->setValue(position);
  }
  zeroaChange();
}

void TForm1::SetOffset2(int position) {
  if (zerob_->value() == position) return;
  {
    const QSignalBlocker blocker(zerob_);
    zerob_->setValue(position);
  }
  zerobChange();
}

void TForm1::SetIntervalText(const std::string& text) {
  const QString newText = Latin1(text);
  if (Edit2_->text() == newText) return;
  {
    const QSignalBlocker blocker(Edit2_);
    Edit2_->setText(newText);
  }
  Edit2Change();
}

void TForm1::SetLengthText(const std::string& text) {
  Edit3_->setText(Latin1(text));
}

void TForm1::SetHighRange(bool high) {
  QRadioButton* button = high ? RadioButton6_ : zakres_lo_;
  if (button->isChecked()) return;
  {
    const QSignalBlocker blocker(button);
    button->setChecked(true);
  }
  if (high) {
    RadioButton6Click();
  } else {
    zakres_loClick();
  }
}

void TForm1::SetTriggerOnHigh(bool onHigh) {
  (onHigh ? RadioButton2_ : RadioButton1_)->setChecked(true);
}

void TForm1::SetTriggerEnabled(bool enabled) {
  CheckBox2_->setChecked(enabled);
}
void TForm1::SetChartResults(bool show) {
  CheckBox1_->setChecked(show);
}
void TForm1::SetCaption(const std::string& caption) {
  setWindowTitle(Latin1(caption));
}

void TForm1::DisableCardButtons() {
  Button1_->setEnabled(false);
  Button3_->setEnabled(false);
}

void TForm1::closeEvent(QCloseEvent* event) {
  // A run in progress ends as the S key ends it, keeping every line; its
  // failure, if any, is shown and the close goes on.
  if (RunActive()) Guarded([this] { run_->EndNow(); });
  frameTimer_->stop();
  // A close handler that fails abandons the close: the window stays open.
  if (Guarded([this] { FormClose(); })) {
    event->accept();
    Timer1_->stop();
    Timer3_->stop();
    emit Closed();
  } else {
    event->ignore();
  }
}

void TForm1::OpenResultsFile(const QString& path) {
  if (chart_ != nullptr) chart_->OpenResultsFile(path);
}

void TForm1::OpenResultsWithDialog() {
  if (chart_ != nullptr) chart_->OpenWithDialog(this);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (chart_ != nullptr && !wykres::TForm2::DraggedFile(event->mimeData()).isEmpty())
    event->acceptProposedAction();
}

void TForm1::dragMoveEvent(QDragMoveEvent* event) {
  if (chart_ != nullptr && !wykres::TForm2::DraggedFile(event->mimeData()).isEmpty())
    event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
  const QString path = wykres::TForm2::DraggedFile(event->mimeData());
  if (chart_ == nullptr || path.isEmpty()) return;
  event->acceptProposedAction();
  Guarded([&] { OpenResultsFile(path); });
}

void TForm1::keyPressEvent(QKeyEvent* event) {
  if (platform_.latch != nullptr && !event->isAutoRepeat()) {
    if (event->key() == Qt::Key_S)
      platform_.latch->NoteKeyPressed(platform::KeyboardPort::kScanCodeS);
  }
  // Enter clicks the button that has the focus, else the default button.
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  auto* focused = qobject_cast<QPushButton*>(focusWidget());
  QPushButton* target = focused != nullptr ? focused : Button1_;
  if (enter && target->isEnabled()) {
    target->click();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TForm1::keyReleaseEvent(QKeyEvent* event) {
  if (platform_.latch != nullptr && !event->isAutoRepeat() && event->key() == Qt::Key_S) {
    platform_.latch->NoteKeyReleased(platform::KeyboardPort::kScanCodeS);
  }
  QWidget::keyReleaseEvent(event);
}

void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (frameFitted_) return;
  frameFitted_ = true;
  // The stored size is the outer size. Where a window manager has put a frame
  // around the window, shrink the client so frame and client make 503 x 452;
  // with no frame the stored size is the client size.
  QTimer::singleShot(0, this, [this] {
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame.width() > 0 || frame.height() > 0) resize(QSize(503, 452) - frame);
  });
}

}  // namespace kolva::ui
