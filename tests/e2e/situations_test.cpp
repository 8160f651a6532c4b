// Setup.exe in each installation situation: what the status area says, which
// buttons it offers where, the question each button asks and what No leaves.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "res/resource_ids.h"
#include "support/machine_paths.h"
#include "support/product_state.h"
#include "support/setup_driver.h"
#include "support/temp_folder.h"

namespace {

struct Situation {
  const char* name;
  std::function<void()> arrange;
  std::wstring status;
  std::wstring step;
  std::vector<std::wstring> buttons;  // visible bottom buttons, left to right
  std::wstring installQuestion;
  std::wstring removeQuestion;  // empty when there is no remove button
};

void Installed(const wchar_t* languages) {
  ASSERT_TRUE(PlaceProductDll(false));
  ASSERT_TRUE(SetInstalledLanguages(languages));
}

const std::vector<Situation>& Situations() {
  static const std::vector<Situation> situations = {
      {"not installed",
       [] {},
       L"Orlinth 일본어 입력기가 설치되어 있지 않습니다. [설치]를 눌러 시작하세요.",
       L"미설치",
       {L"라이선스(&L)", L"설치(&I)", L"닫기(&C)"},
       L"Orlinth 일본어 입력기를 설치할까요?",
       L""},
      {"Arabic and Hindi only",
       [] { Installed(L"ar,hi"); },
       L"Orlinth(아랍어, 힌디어)이 설치되어 있습니다. [추가]를 누르면 일본어 키보드를 함께 설치합니다.",
       L"다른 언어 설치됨",
       {L"라이선스(&L)", L"추가(&A)", L"닫기(&C)"},
       L"Orlinth에 일본어 키보드를 추가할까요?",
       L""},
      {"Japanese with Arabic",
       [] { Installed(L"ja,ar"); },
       L"Orlinth 일본어 키보드가 설치되어 있습니다 (함께 설치: 아랍어). [업데이트] 또는 [일본어 삭제]를 선택하세요.",
       L"설치됨",
       {L"라이선스(&L)", L"일본어 삭제(&R)", L"업데이트(&U)", L"닫기(&C)"},
       L"Orlinth을 최신 파일로 업데이트할까요?",
       L"Orlinth 일본어 키보드를 삭제할까요?"},
      {"Japanese alone",
       [] { Installed(L"ja"); },
       L"Orlinth이 설치되어 있습니다. [업데이트] 또는 [삭제]를 선택하세요.",
       L"설치됨",
       {L"라이선스(&L)", L"삭제(&R)", L"업데이트(&U)", L"닫기(&C)"},
       L"Orlinth을 최신 파일로 업데이트할까요?",
       L"Orlinth을 삭제할까요?"},
      {"installed with an empty list",
       [] { Installed(L""); },
       L"Orlinth()이 설치되어 있습니다. [추가]를 누르면 일본어 키보드를 함께 설치합니다.",
       L"다른 언어 설치됨",
       {L"라이선스(&L)", L"추가(&A)", L"닫기(&C)"},
       L"Orlinth에 일본어 키보드를 추가할까요?",
       L""},
  };
  return situations;
}

constexpr int kBottomButtons[] = {IDC_NOTICES, IDC_REMOVE, IDC_CLOSE, IDC_INSTALL};

struct ShownButton {
  std::wstring caption;
  RECT rect;
};

std::vector<ShownButton> ShownButtons(const SetupProcess& setup) {
  std::vector<ShownButton> shown;
  for (int id : kBottomButtons) {
    if (setup.IsControlVisible(id)) shown.push_back({setup.ControlText(id), setup.ControlRect(id)});
  }
  std::sort(shown.begin(), shown.end(),
            [](const ShownButton& a, const ShownButton& b) { return a.rect.left < b.rect.left; });
  return shown;
}

int Width(const RECT& r) { return r.right - r.left; }

// Order, captions and spacing of the button row: notices alone at the left
// edge, the others 12 pixels apart and ending at the log pane's right edge.
void ExpectButtonRow(const SetupProcess& setup, const Situation& situation) {
  const std::vector<ShownButton> shown = ShownButtons(setup);
  std::vector<std::wstring> captions;
  for (const ShownButton& button : shown) captions.push_back(button.caption);
  ASSERT_EQ(captions, situation.buttons);

  EXPECT_EQ(shown.front().rect.left, setup.ControlRect(IDC_LOG_TOGGLE).left);
  EXPECT_EQ(shown.back().rect.right, setup.ControlRect(IDC_LOG_PANE).right);
  for (size_t i = 1; i < shown.size(); ++i) {
    EXPECT_EQ(shown[i].rect.top, shown[0].rect.top) << "row is not level";
    if (i >= 2) {
      EXPECT_EQ(shown[i].rect.left - shown[i - 1].rect.right, 12) << "gap before button " << i;
    }
  }
  EXPECT_GT(shown[1].rect.left, shown[0].rect.right);
  const RECT install = setup.ControlRect(IDC_INSTALL);
  if (situation.buttons.size() == 4) {
    EXPECT_GE(Width(install), 100);
  }
  if (situation.buttons[1] == L"일본어 삭제(&R)") {
    EXPECT_GE(Width(setup.ControlRect(IDC_REMOVE)), 110);
  }
}

class SituationTest : public testing::TestWithParam<size_t> {
 protected:
  void SetUp() override {
    situation_ = &Situations()[GetParam()];
    situation_->arrange();
    std::wstring error;
    ASSERT_TRUE(setup_.StartToMainDialog(BuiltSetupExe(), L"", &error)) << error.c_str();
  }
  void TearDown() override { EXPECT_EQ(setup_.CloseMainDialog(), std::optional<DWORD>(0)); }

  // Presses a button, checks the question and its default, answers No and
  // checks what that leaves.
  void DeclineQuestion(int buttonId, const std::wstring& question, int defaultButton,
                       const std::wstring& cancelStatus) {
    setup_.Click(buttonId);
    const auto box = setup_.WaitForMessageBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, L"Orlinth Setup");
    EXPECT_EQ(box->text, question);
    EXPECT_EQ(setup_.DefaultButton(*box), defaultButton);
    setup_.Answer(*box, IDNO);
    EXPECT_TRUE(WaitUntil([&] { return setup_.ControlText(IDC_STATUS_LINE) == cancelStatus; }))
        << setup_.ControlText(IDC_STATUS_LINE).c_str();
    EXPECT_TRUE(setup_.ControlText(IDC_LOG_PANE).ends_with(L"사용자가 작업을 취소했습니다.\r\n"));
    EXPECT_FALSE(PathExists(ExpectedSetupLockPath()));
  }

  CleanProductState clean_;
  const Situation* situation_ = nullptr;
  SetupProcess setup_;
};

TEST_P(SituationTest, StatusAreaAndButtonRow) {
  EXPECT_EQ(setup_.ControlText(IDC_STATUS_LINE), situation_->status);
  EXPECT_EQ(setup_.ControlText(IDC_STEP_LINE), situation_->step);
  ExpectButtonRow(setup_, *situation_);
}

TEST_P(SituationTest, LogToggleGrowsAndRestoresTheWindow) {
  const int startHeight = setup_.WindowHeight();
  const int collapsedClient = setup_.ClientSize().cy;
  EXPECT_GE(collapsedClient, 280);
  EXPECT_FALSE(setup_.IsControlVisible(IDC_LOG_PANE));

  setup_.Click(IDC_LOG_TOGGLE);
  ASSERT_TRUE(WaitUntil([&] { return setup_.IsControlVisible(IDC_LOG_PANE); }));
  EXPECT_GT(setup_.WindowHeight(), startHeight);
  EXPECT_EQ(setup_.ControlText(IDC_LOG_TOGGLE), L"▼  상세 로그 접기(&D)");
  // Expanded, the buttons sit below the log pane.
  EXPECT_GT(setup_.ControlRect(IDC_CLOSE).top, setup_.ControlRect(IDC_LOG_PANE).bottom);
  ExpectButtonRow(setup_, *situation_);

  setup_.Click(IDC_LOG_TOGGLE);
  // The window shrinks last, after the pane is hidden and the buttons moved.
  ASSERT_TRUE(WaitUntil([&] { return setup_.WindowHeight() == startHeight; }));
  EXPECT_FALSE(setup_.IsControlVisible(IDC_LOG_PANE));
  EXPECT_EQ(setup_.ClientSize().cy, collapsedClient);
  EXPECT_EQ(setup_.ControlText(IDC_LOG_TOGGLE), L"▶  상세 로그 펼치기(&D)");
  EXPECT_LT(setup_.ControlRect(IDC_CLOSE).bottom, collapsedClient);
  ExpectButtonRow(setup_, *situation_);
}

TEST_P(SituationTest, QuestionsAndDeclining) {
  const bool installed = situation_->step != L"미설치";
  DeclineQuestion(IDC_INSTALL, situation_->installQuestion, IDYES,
                  installed ? L"업데이트를 취소했습니다." : L"설치를 취소했습니다.");
  if (!situation_->removeQuestion.empty()) {
    DeclineQuestion(IDC_REMOVE, situation_->removeQuestion, IDNO, L"삭제를 취소했습니다.");
  }
  // Declining leaves the buttons as they were.
  ExpectButtonRow(setup_, *situation_);
  if (situation_->removeQuestion.empty()) return;
  // Asked for on the command line, the removal's question comes at once.
  SetupProcess asked;
  std::wstring error;
  ASSERT_TRUE(asked.StartToMainDialog(BuiltSetupExe(), L"/uninstall", &error)) << error.c_str();
  const auto box = asked.WaitForMessageBox();
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, situation_->removeQuestion);
  asked.Answer(*box, IDNO);
  EXPECT_EQ(asked.CloseMainDialog(), std::optional<DWORD>(0));
}

INSTANTIATE_TEST_SUITE_P(EachSituation, SituationTest, testing::Range<size_t>(0, 5),
                         [](const testing::TestParamInfo<size_t>& info) {
                           std::string name = Situations()[info.param].name;
                           std::replace(name.begin(), name.end(), ' ', '_');
                           return name;
                         });

}  // namespace
