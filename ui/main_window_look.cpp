#include "ui/main_window_look.h"

#include <commctrl.h>

#include <utility>

#include "base/language_table.h"
#include "res/resource_ids.h"
#include "ui/owner_button.h"
#include "ui/theme_palette.h"
#include "ui/theme_resources.h"
#include "ui/visual_style.h"
#include "ui/window_frame.h"

namespace {

void SetWindowIcons(HWND dialog) {
  HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SETUP));
  if (icon == nullptr) return;
  ::SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  ::SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void SetProgressColors(HWND progress) {
  ::SendMessageW(progress, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(Palette().Accent));
  ::SendMessageW(progress, PBM_SETBKCOLOR, 0, static_cast<LPARAM>(Palette().ProgressTrack));
}

void SetUpProgressBar(HWND dialog) {
  HWND progress = ::GetDlgItem(dialog, IDC_PROGRESS);
  if (progress == nullptr) return;
  ::SendMessageW(progress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  ::SendMessageW(progress, PBM_SETSTEP, 1, 0);
  // Themed progress bars ignore the colours we give them.
  SwitchOffVisualStyle(progress);
  SetProgressColors(progress);
  ::SendMessageW(progress, PBM_SETPOS, 0, 0);
}

}  // namespace

void SetControlFonts(HWND dialog) {
  const ThemeFonts& fonts = Fonts();
  const std::pair<int, HFONT> assignments[] = {
      {IDC_HEADER_TITLE, fonts.headerTitle},
      {IDC_HEADER_SUBTITLE, fonts.headerSubtitle},
      {IDC_STATUS_LINE, fonts.status},
      {IDC_STEP_LINE, fonts.step},
      {IDC_LOG_TOGGLE, fonts.logToggle},
      {IDC_LOG_PANE, fonts.log},
      {IDC_INSTALL, fonts.button},
      {IDC_REMOVE, fonts.button},
      {IDC_CLOSE, fonts.button},
      {IDC_NOTICES, fonts.button},
  };
  for (const auto& [id, font] : assignments) {
    if (font != nullptr) ::SendDlgItemMessageW(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
}

namespace {

void InstallSubclasses(HWND dialog) {
  for (int id : {IDC_INSTALL, IDC_REMOVE, IDC_CLOSE, IDC_NOTICES, IDC_LOG_TOGGLE}) {
    InstallOwnerButtonSubclass(::GetDlgItem(dialog, id));
  }
}

void SetHeaderTexts(HWND dialog) {
  ::SetWindowTextW(dialog, MainWindowCaption().c_str());
  const std::wstring title = L"Orlinth " + TargetLanguageLabel() + L"설치 마법사";
  ::SetDlgItemTextW(dialog, IDC_HEADER_TITLE, title.c_str());
  ::SetDlgItemTextW(dialog, IDC_HEADER_SUBTITLE, TargetLanguage().description);
}

}  // namespace

std::wstring MainWindowCaption() { return std::wstring(L"Orlinth Setup (") + TargetLanguage().koreanName + L")"; }

void ApplyMainWindowLook(HWND dialog) {
  DecideTheme();
  ApplyWindowFrame(dialog);
  CreateThemeBrushes();
  SetWindowIcons(dialog);
  SetUpProgressBar(dialog);
  // The fonts come with the layout, made once for the user's size.
  InstallSubclasses(dialog);
  SetHeaderTexts(dialog);
}

void RefreshMainWindowLook(HWND dialog) {
  DecideTheme();
  ApplyWindowFrame(dialog);
  CreateThemeBrushes();
  if (HWND progress = ::GetDlgItem(dialog, IDC_PROGRESS)) SetProgressColors(progress);
  ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}
