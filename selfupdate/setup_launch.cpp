#include "selfupdate/setup_launch.h"

#include <windows.h>
#include <shellapi.h>

#include "base/child_process.h"
#include "base/win_handle.h"

namespace {

// ERROR_ELEVATION_REQUIRED; the toolchain's headers lack the name.
constexpr DWORD kElevationRequired = 740;

// Only for a program that asks for elevation: the shell's "runas" takes
// nothing from file associations when given an .exe path.
bool StartElevated(const std::wstring& program, const std::wstring& parameters) {
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = L"runas";
  info.lpFile = program.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!::ShellExecuteExW(&info)) return false;
  UniqueHandle started(info.hProcess);  // not waited for, only released
  return true;
}

}  // namespace

bool StartSetupProgram(const std::wstring& program, const std::wstring& parameters) {
  ChildProgram setup;
  setup.path = program;
  setup.commandLine = L"\"" + program + L"\"" + (parameters.empty() ? L"" : L" " + parameters);
  setup.wait = false;
  setup.hidden = false;
  const ChildRunResult run = RunChildProgram(setup);
  if (run.outcome == ChildRunOutcome::Running) return true;
  return run.code == kElevationRequired && StartElevated(program, parameters);
}
