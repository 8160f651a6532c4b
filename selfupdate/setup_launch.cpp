#include "selfupdate/setup_launch.h"

#include <windows.h>
#include <shellapi.h>

#include "base/win_handle.h"

namespace {

bool StartWithVerb(const wchar_t* verb, const std::wstring& program, const std::wstring& parameters) {
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = verb;
  info.lpFile = program.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!::ShellExecuteExW(&info)) return false;
  UniqueHandle started(info.hProcess);  // not waited for, only released
  return true;
}

}  // namespace

bool StartSetupProgram(const std::wstring& program, const std::wstring& parameters) {
  return StartWithVerb(L"open", program, parameters) || StartWithVerb(L"runas", program, parameters);
}
