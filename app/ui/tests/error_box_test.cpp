// SPDX-License-Identifier: MIT
#include "app/ui/error_box.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/text/errors.h"
#include "app/ui/guard.h"

namespace kolva::ui {
namespace {

// The platform's own kind of failure, as the port layer raises it.
class PlatformFault : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

TEST(DisplayTextTest, FullStopOnlyAfterBytesAboveIt) {
  const struct {
    std::string message;
    std::string shown;
  } cases[] = {
      {"File not found", "File not found."},
      {"I/O error 32", "I/O error 32."},
      {"'' is not a valid floating point value", "'' is not a valid floating point value."},
      {".", "."},
      {"Ends with a bracket)", "Ends with a bracket)"},
      {"trailing blank ", "trailing blank "},
      {"a-", "a-"},
      {"a/", "a/."},
      {"0,75 \xb1", "0,75 \xb1."},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DisplayText(c.message), c.shown) << c.message;
}

// Routes the application's errors into a list instead of boxes.
class GuardTest : public ::testing::Test {
 protected:
  void SetUp() override { Record(); }
  void Record() {
    ApplicationErrors().SetPresenter([this](const std::string& text) {
      shown_.push_back(text);
      if (whileOpen_) std::exchange(whileOpen_, nullptr)();
    });
  }
  void TearDown() override { ApplicationErrors().SetPresenter(ShowErrorBox); }

  std::vector<std::string> shown_;
  std::function<void()> whileOpen_;  // runs once inside the next box, as a nested loop would
};

template <class Failure>
std::function<void()> Throwing(Failure failure) {
  return [failure] { throw failure; };
}

TEST_F(GuardTest, EveryKindOfFailureEndsInOneBox) {
  const struct {
    std::function<void()> handler;
    const char* shown;
  } cases[] = {
      {Throwing(app::IoError(2)), "File not found."},
      {Throwing(app::IoError(32)), "I/O error 32."},
      {Throwing(app::ConvertError("'' is not a valid floating point value")),
       "'' is not a valid floating point value."},
      {Throwing(app::MathError(app::MathError::Kind::kOverflow)), "Floating point overflow."},
      {Throwing(PlatformFault("Privileged instruction")), "Privileged instruction."},
      {Throwing(std::bad_alloc()), "std::bad_alloc."},
      {Throwing(42), "Unknown error."},
  };
  for (const auto& c : cases) {
    shown_.clear();
    EXPECT_FALSE(Guarded(c.handler));
    EXPECT_EQ(shown_, std::vector<std::string>{c.shown});
  }
  shown_.clear();
  bool ran = false;
  EXPECT_TRUE(Guarded([&] { ran = true; }));
  EXPECT_TRUE(ran);
  EXPECT_TRUE(shown_.empty());
}

TEST_F(GuardTest, ErrorsWhileABoxIsOpenNeitherPileUpNorGetLost) {
  const auto fail = [](const char* text) { Guarded(Throwing(std::runtime_error(text))); };
  const int droppedBefore = ApplicationErrors().DroppedCount();
  whileOpen_ = [&] {
    EXPECT_TRUE(ApplicationErrors().IsShowing());
    for (int tick = 0; tick < 5; ++tick) fail("Privileged instruction");  // a refused port
    fail("A");
    fail("B");
    fail("A");
    fail("C");
    fail("D");                        // one more than may wait
    whileOpen_ = [&] { fail("E"); };  // arrives while "A." is open
  };
  fail("Privileged instruction");
  EXPECT_EQ(shown_, (std::vector<std::string>{"Privileged instruction.", "A.", "B.", "C.", "E."}));
  EXPECT_EQ(ApplicationErrors().DroppedCount() - droppedBefore, 7);
  EXPECT_FALSE(ApplicationErrors().IsShowing());

  shown_.clear();
  fail("Privileged instruction");  // the fault lasts: a new box once the old one is gone
  EXPECT_EQ(shown_, std::vector<std::string>{"Privileged instruction."});
}

TEST_F(GuardTest, AFailingPresenterLosesOnlyItsOwnBox) {
  ApplicationErrors().SetPresenter([](const std::string&) { throw std::runtime_error("no box"); });
  EXPECT_FALSE(Guarded(Throwing(std::runtime_error("first"))));
  EXPECT_FALSE(ApplicationErrors().IsShowing());
  Record();
  Guarded(Throwing(std::runtime_error("second")));
  EXPECT_EQ(shown_, std::vector<std::string>{"second."});
}

struct SeenBox {
  QString title;
  QString text;
  QMessageBox::Icon icon;
  QMessageBox::StandardButtons buttons;
  Qt::WindowModality modality;
  bool mouseGrabbed;
  Qt::TextFormat labelFormat;
  int height;
};

constexpr const char* kMarkup = "<b>D800</b><img src=\"x.png\" width=\"40000\" height=\"40000\">";

QMessageBox* OpenBox() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    if (box != nullptr && box->isVisible()) return box;
  }
  return nullptr;
}

TEST(ErrorBoxTest, TheRealBoxShowsTheMessageUnderTheApplicationTitle) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "error_box_test";
  char* argv[] = {name, nullptr};
  QApplication application(argc, argv);
  ApplicationErrors().SetPresenter(ShowErrorBox);
  QWidget window;
  window.show();
  window.grabMouse();

  QPushButton otherButton;
  QObject::connect(&otherButton, &QPushButton::clicked, GuardedSlot([](bool) {
    throw app::ConvertError("'0,75 \xb1' is not a valid integer value");
  }));
  std::vector<SeenBox> seen;
  QTimer operatorTimer;
  QObject::connect(&operatorTimer, &QTimer::timeout, [&] {
    QMessageBox* box = OpenBox();  // the operator's view of the screen
    if (box == nullptr) return;
    const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    seen.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                    box->windowModality(), QWidget::mouseGrabber() != nullptr,
                    label != nullptr ? label->textFormat() : Qt::RichText, box->height()});
    if (seen.size() == 1) {
      // While it is open: the lasting fault again, and two other errors, one
      // quoting a file's line that is markup.
      Guarded(Throwing(app::IoError(2)));
      otherButton.click();
      Guarded(Throwing(app::NotIntegerError(kMarkup)));
    }
    box->button(QMessageBox::Ok)->click();
  });
  operatorTimer.start(0);
  QTimer::singleShot(0, [] {
    Guarded(Throwing(app::IoError(2)));
    QApplication::quit();
  });
  QApplication::exec();
  operatorTimer.stop();

  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[0].title, QStringLiteral("app_ui_error_box_test"));
  EXPECT_EQ(seen[0].text, QStringLiteral("File not found."));
  EXPECT_EQ(seen[0].icon, QMessageBox::Critical);
  EXPECT_EQ(seen[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  EXPECT_EQ(seen[0].modality, Qt::ApplicationModal);
  EXPECT_FALSE(seen[0].mouseGrabbed);
  EXPECT_EQ(seen[1].text, QString::fromUtf8("'0,75 \xc2\xb1' is not a valid integer value."));
  // Markup shows as the characters it is made of, in a box of a few lines.
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[2].text, QString::fromLatin1("'") + QString::fromLatin1(kMarkup) +
                              QStringLiteral("' is not a valid integer value."));
  for (const SeenBox& box : seen) {
    EXPECT_EQ(box.labelFormat, Qt::PlainText);
    EXPECT_LT(box.height, 300);
  }
}

}  // namespace
}  // namespace kolva::ui
