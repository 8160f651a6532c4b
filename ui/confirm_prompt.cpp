#include "ui/confirm_prompt.h"

#include "base/language_table.h"
#include "base/user_messages.h"

ConfirmationQuestion ConfirmationFor(bool removeRequest, InstallSituation situation) {
  const std::wstring korean = TargetLanguage().koreanName;
  // Removal asks with No preselected: it cannot be undone.
  constexpr UINT kRemoveFlags = MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2;
  constexpr UINT kInstallFlags = MB_YESNO | MB_ICONQUESTION;
  if (removeRequest) {
    if (situation == InstallSituation::TargetWithOthers) {
      return {L"Orlinth " + korean + L" 키보드를 삭제할까요?", kRemoveFlags};
    }
    return {L"Orlinth을 삭제할까요?", kRemoveFlags};
  }
  switch (situation) {
    case InstallSituation::NotInstalled:
      return {L"Orlinth " + TargetLanguageLabel() + L"입력기를 설치할까요?", kInstallFlags};
    case InstallSituation::OtherLanguagesOnly:
      return {L"Orlinth에 " + korean + L" 키보드를 추가할까요?", kInstallFlags};
    case InstallSituation::TargetOnly:
    case InstallSituation::TargetWithOthers:
      break;
  }
  return {L"Orlinth을 최신 파일로 업데이트할까요?", kInstallFlags};
}

bool ConfirmOperation(bool removeRequest, bool unattended, bool automatic) {
  if (unattended) return true;  // deployed: nobody to ask
  if (!removeRequest && automatic) return true;
  const ConfirmationQuestion question = ConfirmationFor(removeRequest, SituationOf(DetectInstallState()));
  return AskYesNo(question.text, question.flags);
}
