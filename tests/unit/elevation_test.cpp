#include <gtest/gtest.h>

#include "app/elevation.h"

namespace {

// The relaunch starts this test program again (in its probe mode) and must end
// with the exit code of that copy.
TEST(RelaunchElevated, WaitsForTheCopyAndTakesItsExitCode) {
  EXPECT_EQ(RelaunchElevated(L"--probe-exit-code 7"), 7);
  EXPECT_EQ(RelaunchElevated(L"--probe-exit-code 0"), 0);
}

}  // namespace
