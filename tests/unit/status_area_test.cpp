// What the status area says and where the buttons go, per situation.
#include <windows.h>
#include <gtest/gtest.h>

#include "ui/confirm_prompt.h"
#include "ui/main_layout.h"
#include "ui/status_area.h"

namespace {

InstallState State(bool installed, bool target, std::vector<std::wstring> others) {
  return InstallState{installed, target, std::move(others)};
}

TEST(StatusTextsFor, EachSituation) {
  StatusTexts texts = StatusTextsFor(State(false, false, {}));
  EXPECT_EQ(texts.status, L"Orlinth 일본어 입력기가 설치되어 있지 않습니다. [설치]를 눌러 시작하세요.");
  EXPECT_EQ(texts.step, L"미설치");

  texts = StatusTextsFor(State(true, false, {L"ar", L"hi"}));
  EXPECT_EQ(texts.status,
            L"Orlinth(아랍어, 힌디어)이 설치되어 있습니다. [추가]를 누르면 일본어 키보드를 함께 설치합니다.");
  EXPECT_EQ(texts.step, L"다른 언어 설치됨");

  texts = StatusTextsFor(State(true, false, {}));
  EXPECT_EQ(texts.status, L"Orlinth()이 설치되어 있습니다. [추가]를 누르면 일본어 키보드를 함께 설치합니다.");

  texts = StatusTextsFor(State(true, true, {L"ar"}));
  EXPECT_EQ(
      texts.status,
      L"Orlinth 일본어 키보드가 설치되어 있습니다 (함께 설치: 아랍어). [업데이트] 또는 [일본어 삭제]를 선택하세요.");
  EXPECT_EQ(texts.step, L"설치됨");

  texts = StatusTextsFor(State(true, true, {}));
  EXPECT_EQ(texts.status, L"Orlinth이 설치되어 있습니다. [업데이트] 또는 [삭제]를 선택하세요.");
  EXPECT_EQ(texts.step, L"설치됨");
}

TEST(ConfirmationFor, QuestionIconAndDefaultButton) {
  struct Case {
    bool remove;
    InstallSituation situation;
    const wchar_t* text;
    UINT flags;
  } cases[] = {
      {false, InstallSituation::NotInstalled, L"Orlinth 일본어 입력기를 설치할까요?", MB_YESNO | MB_ICONQUESTION},
      {false, InstallSituation::OtherLanguagesOnly, L"Orlinth에 일본어 키보드를 추가할까요?",
       MB_YESNO | MB_ICONQUESTION},
      {false, InstallSituation::TargetOnly, L"Orlinth을 최신 파일로 업데이트할까요?", MB_YESNO | MB_ICONQUESTION},
      {false, InstallSituation::TargetWithOthers, L"Orlinth을 최신 파일로 업데이트할까요?", MB_YESNO | MB_ICONQUESTION},
      {true, InstallSituation::TargetWithOthers, L"Orlinth 일본어 키보드를 삭제할까요?",
       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2},
      {true, InstallSituation::TargetOnly, L"Orlinth을 삭제할까요?", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2},
      {true, InstallSituation::OtherLanguagesOnly, L"Orlinth을 삭제할까요?", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2},
      {true, InstallSituation::NotInstalled, L"Orlinth을 삭제할까요?", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2},
  };
  for (const Case& c : cases) {
    const ConfirmationQuestion question = ConfirmationFor(c.remove, c.situation);
    EXPECT_EQ(question.text, c.text);
    EXPECT_EQ(question.flags, c.flags) << question.text.c_str();
  }
}

TEST(LayoutArithmetic, GapAndCollapsedHeightFloors) {
  EXPECT_EQ(ButtonGapFor(312, 296), 16);
  EXPECT_EQ(ButtonGapFor(300, 296), 16);  // below 8
  EXPECT_EQ(ButtonGapFor(310, 296), 14);
  EXPECT_EQ(CollapsedClientHeightFor(623, 546, 28, 276), 395);
  EXPECT_EQ(CollapsedClientHeightFor(356, 312, 16, 158), 280);  // 232 raised to the floor
}

MainLayout SmallLayout() {
  MainLayout layout;
  layout.toggleRect = {32, 142, 252, 158};
  layout.logRect = {32, 156, 488, 288};
  layout.cardRect = layout.cardPaintRect = {16, 72, 504, 296};
  layout.noticesRect = {130, 312, 200, 338};
  layout.removeRect = {210, 312, 290, 338};
  layout.closeRect = {398, 312, 488, 338};
  layout.installRect = {300, 312, 390, 338};
  layout.installRect.right = layout.installRect.left + 80;  // narrower than the minimums
  layout.removeRect.right = layout.removeRect.left + 60;
  return layout;
}

TEST(PlanButtonRow, RightToLeftWithMinimumWidths) {
  const MainLayout layout = SmallLayout();
  ButtonRowPlan plan = PlanButtonRow(layout, 520, InstallSituation::TargetWithOthers, 0, true);
  EXPECT_EQ(plan.close.right, 488);  // the log pane's right edge
  EXPECT_EQ(plan.close.top, 312);    // the recorded row
  EXPECT_EQ(plan.install.right, plan.close.left - 12);
  EXPECT_EQ(plan.install.right - plan.install.left, 100);
  EXPECT_EQ(plan.installCaption, L"업데이트(&U)");
  ASSERT_TRUE(plan.remove.has_value());
  EXPECT_EQ(plan.remove->right, plan.install.left - 12);
  EXPECT_EQ(plan.remove->right - plan.remove->left, 110);
  EXPECT_EQ(plan.removeCaption, L"일본어 삭제(&R)");
  EXPECT_EQ(plan.notices.left, 32);  // the toggle's left edge
  EXPECT_EQ(plan.notices.right - plan.notices.left, 70);

  plan = PlanButtonRow(layout, 520, InstallSituation::TargetOnly, 190, false);
  EXPECT_EQ(plan.close.top, 190);
  EXPECT_EQ(plan.removeCaption, L"삭제(&R)");
  EXPECT_EQ(plan.remove->right - plan.remove->left, 60);  // no minimum for the plain remove

  plan = PlanButtonRow(layout, 520, InstallSituation::OtherLanguagesOnly, 190, false);
  EXPECT_EQ(plan.installCaption, L"추가(&A)");
  EXPECT_EQ(plan.install.right - plan.install.left, 80);
  EXPECT_FALSE(plan.remove.has_value());
  EXPECT_EQ(PlanButtonRow(layout, 520, InstallSituation::NotInstalled, 190, false).installCaption, L"설치(&I)");
}

TEST(PlanButtonRow, FallbacksWithoutRecordedRectangles) {
  MainLayout layout;
  layout.closeRect = {0, 0, 90, 26};
  ButtonRowPlan plan = PlanButtonRow(layout, 520, InstallSituation::TargetOnly, 200, false);
  EXPECT_EQ(plan.close.right, 504);  // client width - 16
  EXPECT_EQ(plan.notices.left, 16);
  EXPECT_EQ(plan.notices.right - plan.notices.left, 80);
  EXPECT_EQ(plan.notices.bottom - plan.notices.top, 26);
  EXPECT_EQ(plan.install.right - plan.install.left, 100);  // the minimum is already positive
  EXPECT_EQ(plan.remove->right - plan.remove->left, 110);
  EXPECT_EQ(plan.install.bottom - plan.install.top, 26);
  plan = PlanButtonRow(layout, 520, InstallSituation::NotInstalled, 200, false);
  EXPECT_EQ(plan.install.right - plan.install.left, 110);
}

}  // namespace
