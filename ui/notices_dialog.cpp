#include "ui/notices_dialog.h"

#include "app/text_helpers.h"
#include "res/resource_ids.h"
#include "ui/owner_drawing.h"

namespace {

constexpr wchar_t kLoadFailed[] = L"라이선스 정보를 불러오지 못했습니다.";

void OnInitNotices(HWND dialog) {
  ::SetWindowTextW(dialog, L"오픈소스 라이선스");
  ::SetDlgItemTextW(dialog, IDC_NOTICES_CLOSE, L"닫기");
  const std::wstring text = LoadNoticesText();
  ::SetDlgItemTextW(dialog, IDC_NOTICES_TEXT, text.empty() ? kLoadFailed : text.c_str());
  ::SetFocus(::GetDlgItem(dialog, IDC_NOTICES_CLOSE));
}

INT_PTR HandleNoticesMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitNotices(dialog);
      return FALSE;  // focus already set
    case WM_DRAWITEM:
      return DrawPlainButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_NOTICES_CLOSE || LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(dialog, 1);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      ::EndDialog(dialog, 1);
      return TRUE;
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
  if (size > 2 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
      static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF) {
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

std::wstring LoadNoticesText() {
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(IDR_NOTICES), RT_RCDATA);
  if (found == nullptr) return {};
  HGLOBAL loaded = ::LoadResource(module, found);
  const DWORD size = ::SizeofResource(module, found);
  const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (data == nullptr || size == 0) return {};
  return DecodeNoticesText(static_cast<const char*>(data), size);
}

void ShowNoticesDialog(HWND owner) {
  ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_NOTICES), owner,
                    NoticesDialogProc, 0);
}
