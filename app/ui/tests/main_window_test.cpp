// SPDX-License-Identifier: MIT
// The main window's creation, close and handlers, driven through the real
// TForm1 on the simulated card.
#include <sched.h>
#include <sys/mount.h>
#include <QFileDialog>
#include <QFontInfo>
#include <QKeyEvent>
#include <QProgressBar>
#include <QProperty>
#include <QToolButton>

#include "app/files/text_file.h"
#include "app/ui/readout_panel.h"
#include "main_window_fixture.h"
#include "platform/hardware_ports.h"

namespace kolva::ui {
namespace {

using Writes = std::vector<std::string>;

TEST_F(MainWindowTest, CreationFindsTheCardAndAppliesTheSettings) {
  WriteSettings("-7\r\n500\r\n0.002\r\n3\r\nfalse\r\nfalse\r\nfalse\r\nfalse\r\n");
  TForm1& form = Create();
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ(Form1, &form);
  EXPECT_EQ(probeLaunches_, 1);
  EXPECT_EQ(form.windowTitle().toStdString(), "  Card found on adress  -  $D800");
  EXPECT_EQ(Control<QScrollBar>("zeroa")->value(), -7);
  EXPECT_EQ(Text("Label3"), "-7");
  EXPECT_EQ(Control<QScrollBar>("zerob")->value(), 200);
  EXPECT_EQ(Text("Label10"), "200");
  EXPECT_EQ(Text("Edit2"), "0.002");
  EXPECT_EQ(Text("Edit3"), "3");
  EXPECT_TRUE(Control<QRadioButton>("zakres_lo")->isChecked());
  EXPECT_TRUE(Control<QRadioButton>("RadioButton1")->isChecked());
  EXPECT_FALSE(Control<QCheckBox>("CheckBox2")->isChecked());
  EXPECT_FALSE(Control<QCheckBox>("CheckBox1")->isChecked());
  // LOW was not checked: its click writes the word, then line 5 writes it.
  EXPECT_EQ(bus_->writes, (Writes{"D800 32", "D800 32"}));
  EXPECT_TRUE(Control<QPushButton>("Button1")->isEnabled());
  EXPECT_TRUE(Control<QPushButton>("Button3")->isEnabled());
}

TEST_F(MainWindowTest, HighRangeAlreadyCheckedIsWrittenOnce) {
  WriteSettings(kDefaultKonfig);
  Create();
  EXPECT_EQ(bus_->writes, Writes{"D800 32800"});
}

TEST_F(MainWindowTest, WithoutBarTxtTheErrorIsShownAndTheLayoutStays) {
  Write("konfig.txt", "9\r\n");
  TForm1& form = Create();
  EXPECT_EQ(shown_, std::vector<std::string>{"File not found."});
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Form1"));
  EXPECT_TRUE(Control<QPushButton>("Button1")->isEnabled());
  EXPECT_TRUE(Control<QPushButton>("Button3")->isEnabled());
  EXPECT_EQ(Control<QScrollBar>("zeroa")->value(), 0);
  EXPECT_TRUE(bus_->writes.empty());
  form.show();
  EXPECT_TRUE(form.isVisible());
}

TEST_F(MainWindowTest, NoCardDisablesOnlyTheTwoCardButtons) {
  WriteSettings(kDefaultKonfig);
  TForm1& form = Create("id=0x8F");
  EXPECT_EQ(form.windowTitle().toStdString(), "  No KOLVA card found");
  EXPECT_FALSE(Control<QPushButton>("Button1")->isEnabled());
  EXPECT_FALSE(Control<QPushButton>("Button3")->isEnabled());
  EXPECT_TRUE(Control<QPushButton>("Button2")->isEnabled());
  EXPECT_TRUE(Control<QRadioButton>("zakres_lo")->isEnabled());
  EXPECT_EQ(bus_->writes, Writes{"D800 32800"}) << "the range word is written without a card";
  Control<QRadioButton>("zakres_lo")->click();
  EXPECT_EQ(bus_->writes.back(), "D800 32");
}

TEST_F(MainWindowTest, BadIntervalLineStopsCreationThere) {
  WriteSettings("4\r\n5\r\n1;5\r\n9\r\nfalse\r\n", "-1\r\n0\r\n1\r\n1\r\n1\r\n1\r\n");
  TForm1& form = Create();
  EXPECT_EQ(shown_, std::vector<std::string>{"'1;5' is not a valid floating point value."});
  EXPECT_EQ(Text("Edit2"), "1;5");
  EXPECT_EQ(Text("Edit3"), "0.1");
  EXPECT_TRUE(Control<QRadioButton>("RadioButton6")->isChecked());
  EXPECT_EQ(form.Card().ZeroCorrection1, 0) << "korekcje.txt is not read";
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Form1"));
  EXPECT_TRUE(bus_->writes.empty());
}

TEST_F(MainWindowTest, FourLineKonfigAndUnsignedCorrections) {
  WriteSettings("1\r\n2\r\n0.5\r\n1\r\n", "-1\r\n65536\r\n1\r\n1\r\n1\r\n1\r\n");
  TForm1& form = Create();
  EXPECT_TRUE(shown_.empty());
  EXPECT_TRUE(Control<QRadioButton>("zakres_lo")->isChecked());
  EXPECT_TRUE(Control<QRadioButton>("RadioButton1")->isChecked());
  EXPECT_FALSE(Control<QCheckBox>("CheckBox2")->isChecked());
  EXPECT_FALSE(Control<QCheckBox>("CheckBox1")->isChecked());
  EXPECT_EQ(form.Card().ZeroCorrection1, 65535);
  EXPECT_EQ(form.Card().ZeroCorrection2, 0);
}

TEST_F(MainWindowTest, CloseWritesKonfigThatReadsBackToTheSamePanel) {
  WriteSettings("0\r\n0\r\n0.001\r\n0.1\r\nfalse\r\nfalse\r\nfalse\r\nfalse\r\n");
  TForm1& form = Create();
  Control<QRadioButton>("RadioButton6")->click();
  Control<QRadioButton>("RadioButton2")->click();
  Control<QCheckBox>("CheckBox2")->setChecked(true);
  Control<QCheckBox>("CheckBox1")->setChecked(true);
  Control<QScrollBar>("zeroa")->setValue(-150);
  Control<QLineEdit>("Edit3")->setText(QStringLiteral("12x"));
  form.show();
  EXPECT_TRUE(form.close());
  EXPECT_EQ(Read("konfig.txt"), "-150\r\n0\r\n0.001\r\n12x\r\ntrue\r\ntrue\r\ntrue\r\ntrue\r\n");

  TForm1& again = Create();
  EXPECT_TRUE(shown_.empty());
  EXPECT_TRUE(Control<QRadioButton>("RadioButton6")->isChecked());
  EXPECT_TRUE(Control<QRadioButton>("RadioButton2")->isChecked());
  EXPECT_TRUE(Control<QCheckBox>("CheckBox2")->isChecked());
  EXPECT_TRUE(Control<QCheckBox>("CheckBox1")->isChecked());
  EXPECT_EQ(Text("Label3"), "-150");
  EXPECT_EQ(Text("Edit3"), "12x");
  // Without "Save parameters on exit" the close writes nothing.
  Control<QCheckBox>("CheckBox3")->setChecked(false);
  Control<QScrollBar>("zeroa")->setValue(1);
  again.show();
  EXPECT_TRUE(again.close());
  EXPECT_EQ(Read("konfig.txt"), "-150\r\n0\r\n0.001\r\n12x\r\ntrue\r\ntrue\r\ntrue\r\ntrue\r\n");
}

// A tmpfs of the test process's own, in a private mount namespace.
bool MountPrivateTmpfs(const std::string& path, const char* options) {
  static const bool privateNamespace =
      ::unshare(CLONE_NEWNS) == 0 &&
      ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
  return privateNamespace && ::mount("tmpfs", path.c_str(), "tmpfs", 0, options) == 0;
}

TEST_F(MainWindowTest, AKonfigThatCannotBeWrittenKeepsTheWindowOpenAndTheOldFile) {
  const struct {
    const char* name;
    const char* shown;
  } cases[] = {{"readonly", "File access denied."}, {"full", "Disk full."}};
  for (const auto& c : cases) {
    const std::string folder = dir_ + c.name;
    std::filesystem::create_directory(folder);
    if (!MountPrivateTmpfs(folder, "size=16k")) GTEST_SKIP() << "cannot mount a tmpfs here";
    const std::string old = "0\r\n0\r\n0.001\r\n0.1\r\ntrue\r\ntrue\r\ntrue\r\ntrue\r\n";
    std::ofstream(folder + "/konfig.txt", std::ios::binary) << old;
    if (std::string(c.name) == "full") {
      std::ofstream(folder + "/filler", std::ios::binary) << std::string(64 * 1024, 'f');
    } else {
      ASSERT_EQ(::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    }
    shown_.clear();
    TForm1& form = Create("", folder + "/");
    ASSERT_EQ(shown_, std::vector<std::string>{"File not found."}) << "no bar.txt there";
    Control<QScrollBar>("zeroa")->setValue(33);
    form.show();
    EXPECT_FALSE(form.close()) << c.name;
    EXPECT_TRUE(form.isVisible()) << c.name;
    EXPECT_EQ(shown_.back(), c.shown);
    EXPECT_EQ(Read(std::string(c.name) + "/konfig.txt"), old) << c.name;
    // Unchecking "Save parameters on exit" lets the operator close.
    Control<QCheckBox>("CheckBox3")->setChecked(false);
    EXPECT_TRUE(form.close()) << c.name;
    form_.reset();
    EXPECT_EQ(::umount(folder.c_str()), 0) << c.name;
  }
}

TEST_F(MainWindowTest, LiveReadoutTexts) {
  const struct {
    const char* konfig;  // range and raw mode come from it and the check box
    bool raw;
    int offset1, offset2;
    const char* k1;
    const char* k2;
  } cases[] = {
      // LOW: -1 count x 366.4 / 1000 = -0.3664; HIGH: 1 x 1234567.8 / 10 / 100.
      {"0\r\n0\r\n0.001\r\n0.1\r\nfalse\r\n", false, -1, 0, "-0.366", "0.000"},
      {"0\r\n0\r\n0.001\r\n0.1\r\ntrue\r\n", false, 0, 1, "0.000", "1234.568"},
      {"0\r\n0\r\n0.001\r\n0.1\r\ntrue\r\n", true, 0, 0, "0.000", "0.000"},
      {"0\r\n0\r\n0.001\r\n0.1\r\nfalse\r\n", true, 5, -3, "5.000", "-3.000"},
  };
  for (const auto& c : cases) {
    WriteSettings(c.konfig, "0\r\n0\r\n1\r\n1\r\n366.4\r\n1234567.8\r\n");
    Create();
    ASSERT_TRUE(shown_.empty());
    Control<QCheckBox>("bity")->setChecked(c.raw);
    Control<QScrollBar>("zeroa")->setValue(c.offset1);
    Control<QScrollBar>("zerob")->setValue(c.offset2);
    Control<QPushButton>("Button1")->click();
    ASSERT_TRUE(Control<QTimer>("Timer1")->isActive());
    Tick("Timer1");
    EXPECT_EQ(Text("k1"), c.k1) << c.konfig << c.raw;
    EXPECT_EQ(Text("k2"), c.k2) << c.konfig << c.raw;
  }
  platform::LocaleSettings comma;
  comma.decimalSeparator = ',';
  platform::SetCurrentLocale(comma);
  Tick("Timer1");
  EXPECT_EQ(Text("k1"), "5,000");
  // STOP PANEL stops the readout; the panels keep their last text.
  Control<QPushButton>("Button2")->click();
  EXPECT_FALSE(Control<QTimer>("Timer1")->isActive());
  EXPECT_EQ(Text("k1"), "5,000");
}

TEST_F(MainWindowTest, TheWidestReadingOfEachRangeFitsItsPanel) {
  // Both inputs at the bottom of the scale, -2047 counts, and an offset of
  // -1: -750 mV in LOW and -8000 mV in HIGH with the card's true scales.
  for (const char* high : {"false", "true"}) {
    WriteSettings(std::string("0\r\n0\r\n0.001\r\n0.1\r\n") + high + "\r\n",
                  "0\r\n0\r\n1\r\n1\r\n366.2109375\r\n3906.25\r\n");
    Create("in1=dc:-9V,in2=dc:-9V");
    Control<QScrollBar>("zeroa")->setValue(-1);
    Control<QScrollBar>("zerob")->setValue(-1);
    Control<QPushButton>("Button1")->click();
    Tick("Timer1");
    const std::string widest = high == std::string("true") ? "-8000.000" : "-750.000";
    for (const char* name : {"k1", "k2"}) {
      EXPECT_EQ(Text(name), widest) << name;
      const auto* panel = dynamic_cast<const ReadoutPanel*>(Control<QLabel>(name));
      ASSERT_NE(panel, nullptr) << name;
      EXPECT_EQ(panel->font().pixelSize(), 37) << name;
      EXPECT_LE(panel->fontMetrics().horizontalAdvance(panel->text()), panel->TextArea().width())
          << name << ": " << QFontInfo(panel->font()).family().toStdString();
    }
  }
  EXPECT_TRUE(shown_.empty());
}

TEST_F(MainWindowTest, TriggerDisplayAndAFaultThatLasts) {
  for (const char* level : {"1", "0"}) {
    WriteSettings(kDefaultKonfig);
    Create(std::string("trigger=") + level);
    Tick("Timer3");
    EXPECT_EQ(Control<QGroupBox>("RadioGroup1")->title().toStdString(),
              std::string("TRIGGER input current state -  ") + level + "  ");
  }
  // A refused port stops the readout and the display after one box; START
  // PANEL starts both, and a refusal then shows one box again.
  Control<QPushButton>("Button1")->click();
  bus_->refuse = true;
  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE(round);
    for (int tick = 0; tick < 12; ++tick) TickWhileActive();
    EXPECT_EQ(shown_, std::vector<std::string>(round, "Privileged instruction."));
    EXPECT_FALSE(Control<QTimer>("Timer1")->isActive());
    EXPECT_FALSE(Control<QTimer>("Timer3")->isActive());
    Control<QPushButton>("Button1")->click();
    EXPECT_TRUE(Control<QTimer>("Timer1")->isActive());
    EXPECT_TRUE(Control<QTimer>("Timer3")->isActive());
  }
  EXPECT_EQ(Control<QGroupBox>("RadioGroup1")->title().toStdString(),
            "TRIGGER input current state -  0  ");
}

// Without the simulated card where the kernel refuses the ports: the
// start-up's port use fails with one box, no timer brings another, and the
// explanation reaches stderr once.
TEST_F(MainWindowTest, RefusedCardShowsOneBoxAndExplainsOnce) {
  struct RefusingGrant : platform::PortGrant {
    platform::GrantResult Grant(std::uint16_t, std::uint16_t) override {
      return platform::GrantResult::kKernelRefused;
    }
    void DropForGood() override {}
  };
  struct NoInstructions : platform::PortInstructions {
    std::uint8_t In8(std::uint16_t) override { throw std::logic_error("port touched"); }
    std::uint32_t In32(std::uint16_t) override { throw std::logic_error("port touched"); }
    void Out32(std::uint16_t, std::uint32_t) override { throw std::logic_error("port touched"); }
  };
  std::vector<std::string> explained;
  platform::HardwarePorts bus(std::make_unique<RefusingGrant>(), std::make_unique<NoInstructions>(),
                              [&](const std::string& line) { explained.push_back(line); });
  WriteSettings(kDefaultKonfig);
  form_ = std::make_unique<TForm1>(TForm1Platform{bus, clock_, keyboard_, &latch_, {}, dir_});
  Guarded([this] { form_->FormCreate(); });
  for (int tick = 0; tick < 12; ++tick) TickWhileActive();  // 6 s of both timers
  EXPECT_EQ(shown_, std::vector<std::string>{"Privileged instruction."});

  Control<QPushButton>("Button1")->click();
  for (int tick = 0; tick < 12; ++tick) TickWhileActive();
  EXPECT_EQ(shown_, std::vector<std::string>(2, "Privileged instruction."));
  form_.reset();  // before the bus it uses
  ASSERT_EQ(explained.size(), 1u);
  EXPECT_NE(explained[0].find("lockdown"), std::string::npos);
}

TEST_F(MainWindowTest, SmallHandlers) {
  WriteSettings(kDefaultKonfig);
  Create();
  Control<QSlider>("il_sred")->setValue(37);
  EXPECT_EQ(Text("Label1"), "Average count - 37");
  EXPECT_EQ(form_->AveragingCount(), 37);
  Control<QScrollBar>("zerob")->setValue(-200);
  EXPECT_EQ(Text("Label10"), "-200");
  bus_->writes.clear();
  Control<QRadioButton>("RadioButton6")->click();  // already checked: no click handler
  Control<QRadioButton>("zakres_lo")->click();
  Control<QRadioButton>("RadioButton6")->click();
  EXPECT_EQ(bus_->writes, (Writes{"D800 32", "D800 32800"}));
  // A typed interval that does not convert is reported at each change and stays.
  auto* interval = Control<QLineEdit>("Edit2");
  interval->clear();
  interval->setText(QStringLiteral("0.0a"));
  EXPECT_EQ(shown_, (std::vector<std::string>{"'' is not a valid floating point value.",
                                              "'0.0a' is not a valid floating point value."}));
  EXPECT_EQ(form_->IntervalText(), "0.0a");
}

TEST_F(MainWindowTest, EnterStartsThePanelAndTheSKeyReachesTheLatch) {
  WriteSettings(kDefaultKonfig);
  TForm1& form = Create();
  form.show();
  Control<QLineEdit>("Edit3")->setFocus();
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QCoreApplication::sendEvent(Control<QLineEdit>("Edit3"), &enter);
  EXPECT_TRUE(Control<QTimer>("Timer1")->isActive());
  Control<QPushButton>("Button2")->setFocus();
  QCoreApplication::sendEvent(Control<QPushButton>("Button2"), &enter);
  EXPECT_FALSE(Control<QTimer>("Timer1")->isActive()) << "Enter clicks the focused button";
  QKeyEvent press(QEvent::KeyPress, Qt::Key_S, Qt::NoModifier, QStringLiteral("s"));
  QCoreApplication::sendEvent(&form, &press);
  EXPECT_EQ(latch_.ReadScanCode(), 31);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_S, Qt::NoModifier, QStringLiteral("s"));
  QCoreApplication::sendEvent(&form, &release);
  EXPECT_EQ(latch_.ReadScanCode(), 31 | 0x80);
}

TEST_F(MainWindowTest, StartPanelLeavesARunningReadoutAlone) {
  WriteSettings(kDefaultKonfig);
  TForm1& form = Create();
  form.show();
  auto* timer = Control<QTimer>("Timer1");
  // The timer's active state is announced at every stop and every start, so
  // a restart of the wait shows as two announcements.
  int announced = 0;
  const auto notifier = timer->bindableActive().addNotifier([&] { ++announced; });
  Control<QPushButton>("Button1")->click();
  ASSERT_TRUE(timer->isActive());
  EXPECT_EQ(announced, 1);
  Control<QPushButton>("Button1")->click();
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QCoreApplication::sendEvent(&form, &enter);
  form.SetLiveReadout(true);
  EXPECT_EQ(announced, 1) << "the running wait was restarted";
  EXPECT_TRUE(timer->isActive());
  Control<QPushButton>("Button2")->click();
  Control<QPushButton>("Button2")->click();
  EXPECT_EQ(announced, 2);
  EXPECT_FALSE(timer->isActive());
}

TEST_F(MainWindowTest, FileButtonPutsTheChosenPathIntoEdit4) {
  WriteSettings(kDefaultKonfig);
  Create();
  for (const bool accept : {false, true}) {
    QStringList filters;
    QString suffix;
    QString initial;
    QTimer::singleShot(0, [&] {
      auto* dialog = form_->findChild<QFileDialog*>(QStringLiteral("OpenDialog1"));
      ASSERT_NE(dialog, nullptr);
      filters = dialog->nameFilters();
      suffix = dialog->defaultSuffix();
      initial = dialog->selectedFiles().value(0);
      dialog->selectFile(QString::fromStdString(dir_ + "run7"));
      accept ? static_cast<QDialog*>(dialog)->accept() : dialog->reject();
    });
    Control<QToolButton>("SpeedButton1")->click();
    EXPECT_EQ(filters, QStringList{QStringLiteral("*.txt (*.txt)")});
    EXPECT_EQ(suffix, QStringLiteral("txt"));
    // The offered name "results" with the default extension.
    EXPECT_TRUE(initial.endsWith(QStringLiteral("/results.txt"))) << initial.toStdString();
    EXPECT_EQ(Text("Edit4"), accept ? dir_ + "run7.txt" : "results.txt");
  }
  EXPECT_TRUE(shown_.empty());
}

// Typed or chosen in the dialog, a name in a folder with Polish letters
// reaches the file system as its UTF-8 bytes and a file is made there.
TEST_F(MainWindowTest, FileNamesReachTheFileSystemAsTheirUtf8Bytes) {
  WriteSettings(kDefaultKonfig);
  TForm1& form = Create();
  const std::string folder = dir_ + "pomiary_\xC5\xBC\xC3\xB3\xC5\x82w/";  // pomiary_żółw
  ASSERT_TRUE(std::filesystem::create_directory(folder));
  const std::string typed = folder + "r\xC3\xA9.txt";  // ré.txt
  Control<QLineEdit>("Edit4")->setText(QString::fromUtf8(typed));
  EXPECT_EQ(form.ResultsFileName(), typed);
  QTimer::singleShot(0, [&] {
    auto* dialog = form_->findChild<QFileDialog*>(QStringLiteral("OpenDialog1"));
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(QString::fromUtf8(folder + "wynik"));
    static_cast<QDialog*>(dialog)->accept();
  });
  Control<QToolButton>("SpeedButton1")->click();
  EXPECT_EQ(form.ResultsFileName(), folder + "wynik.txt");
  for (const std::string& name : {typed, form.ResultsFileName()}) {
    app::TextFile file(name);
    file.Rewrite();
    file.WriteLine("1");
    file.Close();
    EXPECT_EQ(Read(name.substr(dir_.size())), "1\r\n") << name;
  }
  EXPECT_TRUE(shown_.empty());
}

}  // namespace
}  // namespace kolva::ui
