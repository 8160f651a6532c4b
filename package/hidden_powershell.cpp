#include "package/hidden_powershell.h"

#include <windows.h>

#include "app/text_helpers.h"
#include "app/win_handle.h"
#include "ops/script_runner.h"

int RunHiddenAndWait(const std::wstring& program, const std::wstring& commandLine) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  std::wstring writable = commandLine;
  PROCESS_INFORMATION started = {};
  if (!::CreateProcessW(program.c_str(), writable.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &started)) {
    const DWORD error = ::GetLastError();
    return error != 0 ? static_cast<int>(error) : -1;
  }
  UniqueProcessInformation child;
  child.Adopt(started);
  ::WaitForSingleObject(child.process.get(), INFINITE);
  DWORD exitCode = 1;
  if (!::GetExitCodeProcess(child.process.get(), &exitCode)) exitCode = 1;
  return static_cast<int>(exitCode);
}

std::wstring ExpandArchiveCommand(const std::wstring& archive, const std::wstring& destination) {
  return L"powershell.exe -NoProfile -ExecutionPolicy Bypass -Command \"Expand-Archive -LiteralPath " +
         QuotePowerShellLiteral(archive) + L" -DestinationPath " + QuotePowerShellLiteral(destination) +
         L" -Force\"";
}

bool ExpandZipArchive(const std::wstring& archive, const std::wstring& destination) {
  LimitPowerShellModules();
  return RunHiddenAndWait(PowerShellPath(), ExpandArchiveCommand(archive, destination)) == 0;
}
