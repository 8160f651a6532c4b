#include "ui/main_window_look.h"

#include <commctrl.h>

#include "app/window_setters.h"
#include "ops/language_table.h"
#include "res/resource_ids.h"

namespace {

void SetWindowIcons(HWND dialog) {
  HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SETUP));
  if (icon == nullptr) return;
  ::SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  ::SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void SetHeaderTexts(HWND dialog) {
  const std::wstring title = L"Orlinth " + TargetLanguageLabel() + L"설치 마법사";
  ::SetDlgItemTextW(dialog, IDC_HEADER_TITLE, title.c_str());
  ::SetDlgItemTextW(dialog, IDC_HEADER_SUBTITLE, TargetLanguage().description);
  // The header band draws these three at their places.
  for (int id : {IDC_HEADER_ICON, IDC_HEADER_TITLE, IDC_HEADER_SUBTITLE}) {
    ::ShowWindow(::GetDlgItem(dialog, id), SW_HIDE);
  }
}

void SetUpProgressBar(HWND dialog) {
  HWND progress = ::GetDlgItem(dialog, IDC_PROGRESS);
  if (progress == nullptr) return;
  ::SendMessageW(progress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  ::SendMessageW(progress, PBM_SETSTEP, 1, 0);
  SetProgress(0);
}

}  // namespace

std::wstring MainWindowCaption() {
  return std::wstring(L"Orlinth Setup (") + TargetLanguage().koreanName + L")";
}

void ApplyMainWindowLook(HWND dialog) {
  SetWindowIcons(dialog);
  SetUpProgressBar(dialog);
  ::SetWindowTextW(dialog, MainWindowCaption().c_str());
  SetHeaderTexts(dialog);
}
