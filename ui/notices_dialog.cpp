#include "ui/notices_dialog.h"

#include "base/text_helpers.h"
#include "res/resource_ids.h"
#include "ui/button_drawing.h"
#include "ui/card_drawing.h"
#include "ui/control_colors.h"
#include "ui/layout_zoom.h"
#include "ui/owner_button.h"
#include "ui/theme_resources.h"
#include "ui/visual_style.h"
#include "ui/window_frame.h"

namespace {

constexpr wchar_t kLoadFailed[] = L"라이선스 정보를 불러오지 못했습니다.";

void OnInitNotices(HWND dialog, int resourceId) {
  ApplyWindowFrame(dialog);
  HWND close = ::GetDlgItem(dialog, IDC_NOTICES_CLOSE);
  HWND text = ::GetDlgItem(dialog, IDC_NOTICES_TEXT);
  InstallOwnerButtonSubclass(close);
  SwitchOffVisualStyle(text);
  ::SetWindowTextW(dialog, L"오픈소스 라이선스");
  ::SetWindowTextW(close, L"닫기(&C)");
  if (HFONT font = Fonts().log) ::SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  const std::wstring notices = LoadNoticesResource(resourceId);
  ::SetWindowTextW(text, notices.empty() ? kLoadFailed : notices.c_str());
  ZoomLikeTheMainWindow(dialog);
  ::SetFocus(close);
}

INT_PTR HandleNoticesMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitNotices(dialog, static_cast<int>(lParam));
      return FALSE;  // focus already set
    case WM_ERASEBKGND:
      PaintSecondaryBackground(dialog, reinterpret_cast<HDC>(wParam), IDC_NOTICES_CLOSE);
      ::SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 1);  // erased
      return TRUE;
    case WM_DRAWITEM:
      return DrawButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), ButtonStyle::Primary);
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_NOTICES_CLOSE || LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(dialog, 1);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      ::EndDialog(dialog, 1);
      return TRUE;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<INT_PTR>(CardControlColor(reinterpret_cast<HDC>(wParam)));
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(Brushes().windowBackground);
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK NoticesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return HandleNoticesMessage(dialog, message, wParam, lParam);
  } catch (...) {
    return FALSE;
  }
}

}  // namespace

std::wstring DecodeNoticesText(const char* bytes, std::size_t size) {
  if (bytes == nullptr || size == 0) return {};
  if (size > 2 && static_cast<unsigned char>(bytes[0]) == 0xEF && static_cast<unsigned char>(bytes[1]) == 0xBB &&
      static_cast<unsigned char>(bytes[2]) == 0xBF) {
    bytes += 3;
    size -= 3;
  }
  const std::wstring converted = Utf8ToWide(std::string_view(bytes, size));
  if (converted.empty()) return {};

  // Edit controls break lines only at CR LF.
  std::wstring text;
  text.reserve(converted.size() + converted.size() / 16);
  for (size_t i = 0; i < converted.size(); ++i) {
    if (converted[i] == L'\n' && (i == 0 || converted[i - 1] != L'\r')) text += L'\r';
    text += converted[i];
  }
  return text;
}

std::wstring LoadNoticesResource(int resourceId) {
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(resourceId), RT_RCDATA);
  if (found == nullptr) return {};
  HGLOBAL loaded = ::LoadResource(module, found);
  const DWORD size = ::SizeofResource(module, found);
  const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (data == nullptr || size == 0) return {};
  return DecodeNoticesText(static_cast<const char*>(data), size);
}

std::wstring LoadNoticesText() { return LoadNoticesResource(IDR_NOTICES); }

void ShowNoticesDialog(HWND owner) { ShowNoticesDialogFrom(owner, IDR_NOTICES); }

INT_PTR ShowNoticesDialogFrom(HWND owner, int noticesResourceId) {
  return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_NOTICES), owner, NoticesDialogProc,
                           static_cast<LPARAM>(noticesResourceId));
}
