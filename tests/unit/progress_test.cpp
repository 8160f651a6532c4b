#include <gtest/gtest.h>

#include "app/window_setters.h"
#include "ops/progress_steps.h"

namespace {

TEST(NextProgressPosition, ForwardOnlyClampedAndResettable) {
  struct Step {
    int current, requested, expected;
  } steps[] = {
      {0, 40, 40},   {40, 30, -1},   {40, 40, -1}, {40, 0, 0},   {0, 0, 0},
      {0, 150, 100}, {100, 100, -1}, {50, -5, 0},  {50, 51, 51}, {100, 250, -1},
  };
  for (const Step& s : steps) {
    EXPECT_EQ(NextProgressPosition(s.current, s.requested), s.expected) << s.current << " -> " << s.requested;
  }
}

TEST(MatchesMarker, CaseInsensitiveAnywhere) {
  EXPECT_TRUE(MatchesMarker(L"install x64 done", L"Install x64"));
  EXPECT_TRUE(MatchesMarker(L"== INSTALL X64 ==", L"Install x64"));
  EXPECT_FALSE(MatchesMarker(L"Install", L"Install x64"));
  EXPECT_FALSE(MatchesMarker(L"anything", L""));
  EXPECT_FALSE(MatchesMarker(L"anything", nullptr));
  EXPECT_TRUE(MatchesMarker(L"host: ARM64", L"Host:"));
}

TEST(FindProgressStep, FirstRowOfTheKindsGroupWins) {
  const ProgressStep* step = FindProgressStep(kOperationInstall, L"Verify registry / Install x64");
  ASSERT_NE(step, nullptr);
  EXPECT_EQ(step->percent, 30);
  EXPECT_STREQ(step->caption, L"64비트(x64) 파일 복사 및 등록");

  step = FindProgressStep(kOperationInstall, L"Install ARM64X");
  ASSERT_NE(step, nullptr);
  EXPECT_EQ(step->percent, 40);

  EXPECT_EQ(FindProgressStep(kOperationUninstall, L"Installation complete"), nullptr);
  EXPECT_EQ(FindProgressStep(kOperationInstall, L"Removing Orlinth"), nullptr);
  step = FindProgressStep(kOperationUninstall, L"Removed Orlinth from the list");
  ASSERT_NE(step, nullptr);
  EXPECT_EQ(step->percent, 35);
  EXPECT_EQ(FindProgressStep(kOperationInstall, L""), nullptr);
}

}  // namespace
