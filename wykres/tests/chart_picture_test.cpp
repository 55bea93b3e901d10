// SPDX-License-Identifier: MIT
#include "wykres/chart_picture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <stdexcept>

#include "chart/qt/tests/qt_app.h"
#include "wykres/form2.h"

namespace kolva::wykres {
namespace {

void Fill(TForm2& form) {
  for (int i = 0; i < 50; ++i) {
    form.Series1().AddPoint(i * 0.01, (i % 7) * 30.0 - 90.0, "", 255);
    form.Series2().AddPoint(i * 0.01, i * 2.5, "", 0xFFFFFF);
  }
}

class ChartPictureTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { chart::qt::testing::EnsureQtApp(); }
};

// The offscreen picture of a hidden window equals what a shown window of
// that size paints, at the stored size and at another.
TEST_F(ChartPictureTest, HiddenPictureEqualsTheShownWindowsPaint) {
  for (const QSize size : {QSize(477, 310), QSize(640, 420)}) {
    TForm2 hidden;
    Fill(hidden);
    const QImage picture = RenderChartPicture(hidden, size);
    ASSERT_EQ(picture.size(), size);
    EXPECT_EQ(picture.format(), QImage::Format_RGB32);

    TForm2 shown;
    Fill(shown);
    shown.show();
    shown.resize(size);
    QApplication::processEvents();
    ASSERT_EQ(shown.Chart1Widget().size(), size);
    const QImage painted =
        shown.Chart1Widget().grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(picture == painted) << size.width() << " x " << size.height();
    EXPECT_TRUE(RenderChartPicture(shown) == painted) << "the present size by default";
  }
}

TEST_F(ChartPictureTest, AnEmptySizeIsRefused) {
  TForm2 form;
  EXPECT_THROW(RenderChartPicture(form, QSize(0, 310)), std::invalid_argument);
}

}  // namespace
}  // namespace kolva::wykres
