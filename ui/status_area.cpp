#include "ui/status_area.h"

#include "base/language_table.h"
#include "res/resource_ids.h"
#include "ui/main_layout.h"
#include "ui/main_window_state.h"

void SetInitialCaptions(HWND dialog) {
  // Each with its access key, in the Korean manner.
  ::SetDlgItemTextW(dialog, IDC_CLOSE, L"닫기(&C)");
  ::SetDlgItemTextW(dialog, IDC_INSTALL, L"설치(&I)");
  ::SetDlgItemTextW(dialog, IDC_REMOVE, L"삭제(&R)");
  ::SetDlgItemTextW(dialog, IDC_NOTICES, L"라이선스(&L)");
  ::SetDlgItemTextW(dialog, IDC_LOG_TOGGLE, L"▶  상세 로그 펼치기(&D)");
}

StatusTexts StatusTextsFor(const InstallState& state) {
  const std::wstring korean = TargetLanguage().koreanName;
  const std::wstring others = JoinLanguageNames(state.otherLanguages);
  switch (SituationOf(state)) {
    case InstallSituation::NotInstalled:
      return {L"Orlinth " + TargetLanguageLabel() + L"입력기가 설치되어 있지 않습니다. [설치]를 눌러 시작하세요.",
              L"미설치"};
    case InstallSituation::OtherLanguagesOnly:
      return {
          L"Orlinth(" + others + L")이 설치되어 있습니다. [추가]를 누르면 " + korean + L" 키보드를 함께 설치합니다.",
          L"다른 언어 설치됨"};
    case InstallSituation::TargetWithOthers:
      return {L"Orlinth " + korean + L" 키보드가 설치되어 있습니다 (함께 설치: " + others + L"). [업데이트] 또는 [" +
                  korean + L" 삭제]를 선택하세요.",
              L"설치됨"};
    case InstallSituation::TargetOnly:
      break;
  }
  return {L"Orlinth이 설치되어 있습니다. [업데이트] 또는 [삭제]를 선택하세요.", L"설치됨"};
}

void ArrangeStatusArea() {
  const MainWindowState& state = MainState();
  const MainLayout& layout = CurrentLayout();
  if (state.dialog != nullptr && !::IsRectEmpty(&layout.closeRect)) {
    if (state.logExpanded) {
      LayoutButtons(layout.removeRect.top, true);
    } else {
      LayoutButtons(CollapsedRowTop(layout), false);
    }
  }
  if (!state.busy) {
    HWND target = state.controls.install != nullptr ? state.controls.install : state.controls.close;
    if (target != nullptr) ::SetFocus(target);
  }
}
