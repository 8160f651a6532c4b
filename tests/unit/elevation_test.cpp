#include <gtest/gtest.h>

#include "app/elevation.h"

namespace {

// The relaunch starts this test program again (in its probe mode) and must end
// with the exit code of that copy.
TEST(RelaunchElevated, WaitsForTheCopyAndTakesItsExitCode) {
  EXPECT_EQ(RelaunchElevated(L"--probe-exit-code 7"), 7);
  EXPECT_EQ(RelaunchElevated(L"--probe-exit-code 0"), 0);
}

// Asked once: a start that came from the prompt and still lacks the rights
// (the prompt switched off, a standard user) gives up instead of looping.
TEST(DecideElevation, AsksOnceAndNeverAgain) {
  EXPECT_EQ(DecideElevation(true, false), ElevationStep::GoOn);
  EXPECT_EQ(DecideElevation(true, true), ElevationStep::GoOn);
  EXPECT_EQ(DecideElevation(false, false), ElevationStep::Relaunch);
  EXPECT_EQ(DecideElevation(false, true), ElevationStep::GiveUp);
}

}  // namespace
