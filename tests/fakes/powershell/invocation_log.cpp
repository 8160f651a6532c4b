#include "fakes/powershell/invocation_log.h"

#include <windows.h>

#include "base/text_helpers.h"
#include "base/win_handle.h"

namespace standin {
namespace {

std::wstring Environment(const wchar_t* name) {
  const DWORD needed = ::GetEnvironmentVariableW(name, nullptr, 0);
  if (needed == 0) return {};
  std::wstring value(needed, L'\0');
  const DWORD length = ::GetEnvironmentVariableW(name, value.data(), needed);
  value.resize(length < needed ? length : 0);
  return value;
}

std::wstring CurrentFolder() {
  const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
  if (needed == 0) return {};
  std::wstring folder(needed, L'\0');
  const DWORD length = ::GetCurrentDirectoryW(needed, folder.data());
  folder.resize(length < needed ? length : 0);
  return folder;
}

}  // namespace

std::string FormatInvocationRecord(const std::wstring& commandLine, const std::wstring& folder,
                                   const std::wstring& modulePath, const std::wstring& setupPid) {
  return "command: " + WideToUtf8(commandLine) + "\nfolder: " + WideToUtf8(folder) +
         "\nPSModulePath: " + WideToUtf8(modulePath) + "\nORLINTH_SETUP_PID: " + WideToUtf8(setupPid) + "\n\n";
}

std::wstring AppendInvocationRecord(const std::wstring& commandLine) {
  const std::wstring logPath = Environment(L"ORLINTH_POWERSHELL_LOG");
  if (logPath.empty()) return {};
  const std::string record = FormatInvocationRecord(commandLine, CurrentFolder(), Environment(L"PSModulePath"),
                                                    Environment(L"ORLINTH_SETUP_PID"));
  // Append-only access makes every write land at the end, so runs at the same
  // time do not overwrite each other; a short retry covers sharing conflicts.
  for (int attempt = 0; attempt < 50; ++attempt) {
    UniqueHandle file(::CreateFileW(logPath.c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
      DWORD written = 0;
      if (::WriteFile(file.get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr) &&
          written == record.size()) {
        return {};
      }
      return L"cannot write to " + logPath;
    }
    if (::GetLastError() != ERROR_SHARING_VIOLATION) break;
    ::Sleep(20);
  }
  return L"cannot open " + logPath;
}

}  // namespace standin
