// The one adapter of the Qt progress bars.
#include "ui/qt/progress_bar_sink.h"

#include <gtest/gtest.h>

#include <QProgressBar>

namespace rqx340 {
namespace {

TEST(ProgressBarSinkTest, AnEmptyRangeIsNoBusyIndicatorAndStepsWrapAround) {
  QProgressBar bar;
  ProgressBarSink sink(bar);
  // A file below 65536 bytes reads with the range 0 .. 0.
  sink.SetRange(0, 0);
  EXPECT_LT(bar.minimum(), bar.maximum());
  EXPECT_EQ(bar.value(), 0);
  sink.SetRange(0, 25);
  sink.SetStep(10);
  sink.StepIt();
  sink.StepIt();
  EXPECT_EQ(bar.value(), 20);
  sink.StepIt();  // past the end: from the beginning
  EXPECT_EQ(bar.value(), 0);
  sink.SetPos(99);
  EXPECT_EQ(bar.value(), 25);
  sink.Show();
  EXPECT_FALSE(bar.isHidden());
  sink.Hide();
  EXPECT_TRUE(bar.isHidden());
}

}  // namespace
}  // namespace rqx340
