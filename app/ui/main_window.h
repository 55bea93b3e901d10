// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/run/control_state.h"
#include "app/startup.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSlider;
class QTimer;
class QToolButton;

namespace kolva::platform {
class Clock;
class KeyboardPort;
class PortBus;
class ScanCodeLatch;
}  // namespace kolva::platform

namespace kolva::app {
class AcquisitionRun;
class Card;
struct RunTiming;
}  // namespace kolva::app

namespace kolva::wykres {
class TForm2;
}

namespace kolva::ui {

// What the main window works with; all of it must outlive the window.
struct TForm1Platform {
  platform::PortBus& bus;
  platform::Clock& clock;
  platform::KeyboardPort& keyboard;          // read by the card's busy loops
  platform::ScanCodeLatch* latch = nullptr;  // fed by the window's key events
  std::function<void()> launchProbe;         // starts the probe program
  std::string folder;                        // of the settings files; "" = current
};

// The operator's panel. Every control carries its layout name as its
// objectName, sits at its layout position and keeps its layout caption until
// a handler changes it. Each handler below may raise; when Qt calls it (a
// signal, a timer, the close) it runs under the one guard, which shows the
// error box. Code that sets a control whose handler must run sets the widget
// with its signals blocked and calls the handler itself.
class TForm1 : public QWidget, public app::ControlState, public app::StartupControls {
  Q_OBJECT

 public:
  explicit TForm1(TForm1Platform platform, QWidget* parent = nullptr);
  ~TForm1() override;

  // Creation: the start-up sequence (probe, delay, the three files, card
  // detection). Program entry runs it under the guard after setting Form1.
  void FormCreate();
  // Close: writes konfig.txt when "Save parameters on exit" is checked.
  void FormClose();

  // The live readout and the trigger display. A port failure in them, or in
  // any other handler that uses the card's ports, stops both timers.
  void Timer1Timer();
  void Timer3Timer();
  // START PANEL: starts the live readout, and the trigger display when a
  // port failure stopped it.
  void Button1Click();
  void Button2Click();
  void il_sredChange();
  void zeroaChange();
  void zerobChange();
  void zakres_loClick();
  void RadioButton6Click();
  void SpeedButton1Click();
  void Edit2Change();
  // "ACQUISITION  START": starts the run installed by SetAcquisitionRun; a
  // frame timer then follows it (RunFrame) until it has ended. While a run
  // lasts the card's ports are the run's: the live readout shows the run's
  // latest reading, the trigger display the level the run last read, and a
  // range click only changes the panel, which the run follows.
  void Button3Click();
  // After every run its timing line goes to stderr ("kolva: " + the line);
  // when a reading was late by more than one period the window also shows
  // it (LateReadings, and the progress bar's tooltip) until the next run
  // starts.
  void SetAcquisitionRun(app::AcquisitionRun* run);
  // Once a frame during a run: the run's readings, captions and end.
  void RunFrame();

  // The chart window, which shows results files: Ctrl+O here opens its file
  // dialog (over this window) and a file dropped here goes to it, as on the
  // chart window itself; either raises, as there, while a run feeds the
  // chart. Without a chart window both do nothing.
  void SetChartWindow(wykres::TForm2* chart) { chart_ = chart; }
  // Shows the results file at `path` in the chart window (the command line's
  // file); raises as TForm2::OpenResultsFile does.
  void OpenResultsFile(const QString& path);
  void OpenResultsWithDialog();

 signals:
  // The close was accepted: the program ends.
  void Closed();

 public:
  app::Card& Card() { return *card_; }

  // app::ControlState
  int AveragingCount() const override;
  int Offset1() const override;
  int Offset2() const override;
  bool LowRange() const override;
  bool RawCounts() const override;
  bool TriggerEnabled() const override;
  bool TriggerOnHigh() const override;
  bool TriggerOnLow() const override;
  std::string IntervalText() const override;
  std::string LengthText() const override;
  std::string ResultsFileName() const override;
  bool ChartResults() const override;
  void SetLiveReadout(bool on) override;
  void SetRunButton(const std::string& caption, bool enabled) override;
  void SetProgress(int position) override;

  // app::KonfigControls / app::StartupControls
  bool HighRange() const override;
  void SetOffset1(int position) override;
  void SetOffset2(int position) override;
  void SetIntervalText(const std::string& text) override;
  void SetLengthText(const std::string& text) override;
  void SetHighRange(bool high) override;
  void SetTriggerOnHigh(bool onHigh) override;
  void SetTriggerEnabled(bool enabled) override;
  void SetChartResults(bool show) override;
  void SetCaption(const std::string& caption) override;
  void DisableCardButtons() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildLayout();
  void BuildReadouts();
  void BuildAveragingAndOffsets();
  void BuildButtonsAndEdits();
  void BuildTriggerAndRange();
  void BuildCheckBoxesAndLabels();
  void BuildTimersAndTabOrder();
  void BuildRunSummary();
  void ShowRunSummary(const app::RunTiming& timing);
  void HideRunSummary();
  void ConnectHandlers();
  void SetTimer1Enabled(bool enabled);
  void StopTimersOnPortFailure(const std::function<void()>& portUse);
  void ConnectPanelChanges();
  bool RunActive() const;

  TForm1Platform platform_;
  std::unique_ptr<app::Card> card_;
  app::AcquisitionRun* run_ = nullptr;
  wykres::TForm2* chart_ = nullptr;
  QTimer* frameTimer_ = nullptr;
  bool frameFitted_ = false;

  QLabel* k1_ = nullptr;
  QLabel* k2_ = nullptr;
  QSlider* il_sred_ = nullptr;
  QScrollBar* zeroa_ = nullptr;
  QScrollBar* zerob_ = nullptr;
  QPushButton* Button1_ = nullptr;
  QPushButton* Button2_ = nullptr;
  QPushButton* Button3_ = nullptr;
  QLineEdit* Edit2_ = nullptr;
  QLineEdit* Edit3_ = nullptr;
  QLineEdit* Edit4_ = nullptr;
  QCheckBox* CheckBox1_ = nullptr;
  QCheckBox* CheckBox2_ = nullptr;
  QCheckBox* CheckBox3_ = nullptr;
  QCheckBox* bity_ = nullptr;
  QProgressBar* got_ = nullptr;
  QGroupBox* RadioGroup1_ = nullptr;
  QGroupBox* GroupBox1_ = nullptr;
  QRadioButton* RadioButton1_ = nullptr;
  QRadioButton* RadioButton2_ = nullptr;
  QRadioButton* zakres_lo_ = nullptr;
  QRadioButton* RadioButton6_ = nullptr;
  QToolButton* SpeedButton1_ = nullptr;
  QLabel* Label1_ = nullptr;
  QLabel* Label3_ = nullptr;
  QLabel* Label10_ = nullptr;
  QLabel* LateReadings_ = nullptr;
  QTimer* Timer1_ = nullptr;
  QTimer* Timer3_ = nullptr;
};

// The main window's global reference, set by program entry before FormCreate
// runs and cleared when the window goes.
extern TForm1* Form1;

}  // namespace kolva::ui
