// SPDX-License-Identifier: MIT
#include "app/ui/close_on_signal.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "app/ui/error_box.h"
#include "app/ui/guard.h"
#include "chart/qt/tests/qt_app.h"

namespace kolva::ui {
namespace {

// A route whose close counts its calls and does what the test asks; the
// application's errors are recorded instead of shown.
class CloseOnSignalTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { chart::qt::testing::EnsureQtApp(); }
  void SetUp() override {
    ApplicationErrors().SetPresenter([this](const std::string& text) { shown_.push_back(text); });
  }
  void TearDown() override {
    ApplicationErrors().SetPresenter(ShowErrorBox);
    route_.reset();  // an accepted close leaves the signals ignored
    for (int number : CloseOnSignal::kSignals) ::signal(number, SIG_DFL);
  }

  void Listen() {
    route_->Listen([this] {
      ++closes_;
      return onClose_ ? onClose_() : false;
    });
  }
  // Passes of the event loop for up to `ms`, ending early once `closes_`
  // reaches `until`: the byte is in the pipe when raise returns.
  void Pump(int until, int ms = 500) {
    QElapsedTimer timer;
    timer.start();
    while (closes_ < until && timer.elapsed() < ms) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
  }

  std::optional<CloseOnSignal> route_{std::in_place};
  int closes_ = 0;
  std::function<bool()> onClose_;
  std::vector<std::string> shown_;
};

TEST_F(CloseOnSignalTest, EachSignalClosesUntilACloseIsAccepted) {
  ::raise(SIGHUP);  // before Listen: waits in the pipe, does not kill
  Listen();
  Pump(1);
  EXPECT_EQ(closes_, 1);
  for (int number : {SIGTERM, SIGINT}) {
    ::raise(number);
    Pump(closes_ + 1);
  }
  EXPECT_EQ(closes_, 3) << "abandoned closes are tried again on the next signal";

  onClose_ = [] { return true; };
  ::raise(SIGTERM);
  ::raise(SIGTERM);  // both in the pipe at once: one close
  Pump(4);
  ::raise(SIGINT);  // after an accepted close
  Pump(5, 200);
  EXPECT_EQ(closes_, 4);
}

TEST_F(CloseOnSignalTest, SignalsDuringACloseAreDroppedNotNested) {
  Listen();
  // The close runs an event loop of its own, as an error box does, and a
  // second signal arrives in it; then the close raises.
  onClose_ = [this]() -> bool {
    ::raise(SIGINT);
    Pump(2, 200);
    throw std::runtime_error("konfig.txt is read-only");
  };
  ::raise(SIGTERM);
  Pump(1);
  Pump(2, 200);  // the second signal must not close once more afterwards
  EXPECT_EQ(closes_, 1);
  EXPECT_EQ(shown_, std::vector<std::string>{"konfig.txt is read-only."});

  onClose_ = nullptr;  // the failure left the route usable
  ::raise(SIGHUP);
  Pump(2);
  EXPECT_EQ(closes_, 2);
}

TEST(CloseOnSignalLifetimeTest, OneRouteAtATimeAndTheEarlierHandlersComeBack) {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction before {};
  ASSERT_EQ(::sigaction(SIGHUP, &ignore, &before), 0);
  {
    CloseOnSignal route;
    EXPECT_THROW(CloseOnSignal(), std::system_error);
    struct sigaction during {};
    ::sigaction(SIGHUP, nullptr, &during);
    EXPECT_NE(during.sa_handler, SIG_IGN);
  }
  struct sigaction after {};
  ::sigaction(SIGHUP, &before, &after);
  EXPECT_EQ(after.sa_handler, SIG_IGN);

  // A route whose close was accepted leaves the signal ignored instead.
  chart::qt::testing::EnsureQtApp();
  {
    CloseOnSignal again;  // the route's pipe and handlers are free again
    bool closed = false;
    again.Listen([&closed] { return closed = true; });
    ::raise(SIGHUP);
    for (int pass = 0; pass < 50 && !closed; ++pass) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_TRUE(closed);
  }
  ::sigaction(SIGHUP, &before, &after);
  EXPECT_EQ(after.sa_handler, SIG_IGN);
}

}  // namespace
}  // namespace kolva::ui
