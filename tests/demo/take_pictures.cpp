// Takes the pictures a person looks at to judge Setup's look: the main window
// in every installation situation with the log collapsed and expanded, the
// focus on each of its controls, and the open-source notices dialog; with
// "scaled" last, only the window with all its buttons (for a prefix set to
// another DPI). The theme is whatever the prefix's user has
// chosen; the name given only goes into the file names, except for
// "high-contrast": then a black high-contrast theme is on (and switched off
// again at the end). Switched on while Setup is open, this Wine would keep
// the old system colours in that process: so it is on before the first one.
//   take_pictures.exe SETUP.exe PICTURE-FOLDER THEME-NAME [scaled]
#include <windows.h>

#include <functional>
#include <iterator>
#include <string>

#include "demo/demo_output.h"
#include "res/resource_ids.h"
#include "support/app_theme.h"
#include "support/product_state.h"
#include "support/setup_driver.h"

namespace {

struct Situation {
  const wchar_t* name;
  const wchar_t* languages;  // null: the product is not installed
};

const Situation kSituations[] = {
    {L"1-not-installed", nullptr}, {L"2-other-languages", L"ar,hi"}, {L"3-japanese-with-others", L"ja,ar"},
    {L"4-japanese-alone", L"ja"},  {L"5-installed-empty-list", L""},
};

// Windows' black high-contrast colours, and the setting that says it is on.
void SwitchHighContrast(bool on) {
  const int elements[] = {COLOR_WINDOW,   COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT,
                          COLOR_GRAYTEXT, COLOR_BTNFACE,    COLOR_BTNTEXT};
  static COLORREF saved[std::size(elements)] = {};
  const COLORREF black[] = {RGB(0, 0, 0),     RGB(255, 255, 255), RGB(26, 235, 255), RGB(0, 0, 0),
                            RGB(63, 242, 63), RGB(0, 0, 0),       RGB(255, 255, 255)};
  if (on) {
    for (size_t i = 0; i < std::size(elements); ++i) saved[i] = ::GetSysColor(elements[i]);
  }
  SetHighContrastSetting(on);
  // Tells every window, as a switch of the theme does.
  ::SetSysColors(static_cast<int>(std::size(elements)), elements, on ? black : saved);
}

bool Arrange(const Situation& situation) {
  ClearProductState();
  if (situation.languages == nullptr) return true;
  return PlaceProductDll(false) && SetInstalledLanguages(situation.languages);
}

bool PictureNotices(SetupProcess& setup, const std::wstring& prefix) {
  setup.Click(IDC_NOTICES);
  const auto notices = setup.WaitForMessageBox();
  if (!notices) return false;
  const bool saved = SavePicture(notices->window, prefix + L"notices.bmp");
  ::PostMessageW(notices->window, WM_CLOSE, 0, 0);
  return WaitUntil([&] { return !::IsWindow(notices->window); }) && saved;
}

// The window with the focus on each control that takes it, as Tab puts it there.
bool PictureFocus(SetupProcess& setup, const std::wstring& name) {
  const struct {
    int id;
    const wchar_t* what;
  } controls[] = {{IDC_LOG_TOGGLE, L"log-toggle"},
                  {IDC_NOTICES, L"notices"},
                  {IDC_REMOVE, L"remove"},
                  {IDC_INSTALL, L"install"},
                  {IDC_CLOSE, L"close"}};
  bool ok = true;
  for (const auto& control : controls) {
    ::SendMessageW(setup.mainDialog(), WM_NEXTDLGCTL,
                   reinterpret_cast<WPARAM>(::GetDlgItem(setup.mainDialog(), control.id)), TRUE);
    ok = WaitUntil([&] { return setup.FocusedControlId() == control.id; }) && ok;
    ok = SavePicture(setup.mainDialog(), name + L"-focus-" + control.what + L".bmp") && ok;
  }
  return ok;
}

bool PictureSituation(const std::wstring& setupPath, const std::wstring& prefix, const Situation& situation,
                      bool withNotices, bool withFocus) {
  if (!Arrange(situation)) return false;
  SetupProcess setup;
  std::wstring error;
  if (!setup.StartToMainDialog(setupPath, L"/noselfupdate", &error, 60000)) {
    Say(L"failed: " + error);
    return false;
  }
  ::SetCursorPos(0, 0);  // no hover look on any button
  const std::wstring name = prefix + situation.name;
  bool ok = SavePicture(setup.mainDialog(), name + L"-collapsed.bmp");
  if (withFocus) ok = PictureFocus(setup, name) && ok;
  setup.Click(IDC_LOG_TOGGLE);
  ok = WaitUntil([&] { return setup.IsControlVisible(IDC_LOG_PANE); }) && ok;
  ok = SavePicture(setup.mainDialog(), name + L"-expanded.bmp") && ok;
  if (withNotices) ok = PictureNotices(setup, prefix) && ok;
  return setup.CloseMainDialog() == std::optional<DWORD>(0) && ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool scaled = argc == 5 && std::wstring(argv[4]) == L"scaled";
  if (argc != 4 && !scaled) {
    Say(L"usage: take_pictures SETUP.exe PICTURE-FOLDER THEME-NAME [scaled]");
    return 2;
  }
  const std::wstring prefix = std::wstring(argv[2]) + L"\\" + argv[3] + L"-";
  const bool highContrast = std::wstring(argv[3]) == L"high-contrast";
  if (highContrast) SwitchHighContrast(true);
  bool ok = true;
  for (const Situation& situation : kSituations) {
    const bool first = &situation == &kSituations[0];
    // Every button is there with Japanese and other languages installed.
    const bool allButtons = &situation == &kSituations[2];
    if (scaled && !allButtons) continue;
    if (!PictureSituation(argv[1], prefix, situation, first && !scaled, allButtons && !scaled)) {
      Say(std::wstring(L"failed: ") + situation.name);
      ok = false;
    }
  }
  if (highContrast) SwitchHighContrast(false);
  ClearProductState();
  return ok ? 0 : 1;
}
