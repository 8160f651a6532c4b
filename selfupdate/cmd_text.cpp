#include "selfupdate/cmd_text.h"

#include <windows.h>

#include <cwchar>

namespace {

bool IsCmdMetacharacter(wchar_t c) { return c != L'\0' && std::wcschr(L"&|<>^()", c) != nullptr; }

}  // namespace

std::wstring CmdQuotedPath(const std::wstring& path) {
  std::wstring quoted = L"\"";
  for (wchar_t c : path) quoted += c == L'%' ? std::wstring(L"%%") : std::wstring(1, c);
  return quoted + L"\"";
}

std::wstring CmdBareText(const std::wstring& text) {
  std::wstring escaped;
  for (wchar_t c : text) {
    if (c == L'%') {
      escaped += L"%%";
      continue;
    }
    if (IsCmdMetacharacter(c)) escaped += L'^';
    escaped += c;
  }
  return escaped;
}

std::wstring CmdArgumentText(const std::wstring& text) {
  std::wstring escaped;
  bool quoted = false;
  for (wchar_t c : text) {
    if (c == L'"') quoted = !quoted;
    if (c == L'%') {
      escaped += L"%%";
      continue;
    }
    if (!quoted && IsCmdMetacharacter(c)) escaped += L'^';
    escaped += c;
  }
  return escaped;
}

bool EncodeForCmd(const std::wstring& script, std::string* bytes) {
  bytes->clear();
  if (script.empty()) return true;
  const int length = static_cast<int>(script.size());
  BOOL lossy = FALSE;
  const int size =
      ::WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, script.data(), length, nullptr, 0, nullptr, &lossy);
  if (size <= 0 || lossy) return false;
  bytes->resize(static_cast<size_t>(size));
  return ::WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, script.data(), length, bytes->data(), size, nullptr,
                               &lossy) == size &&
         !lossy;
}
