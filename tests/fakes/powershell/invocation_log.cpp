#include "fakes/powershell/invocation_log.h"

#include <windows.h>

#include "base/text_helpers.h"
#include "base/win_handle.h"
#include "fakes/test_setting.h"

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
                                   const std::vector<std::pair<std::wstring, std::wstring>>& variables) {
  std::string record = "command: " + WideToUtf8(commandLine) + "\nfolder: " + WideToUtf8(folder) + "\n";
  for (const auto& [name, value] : variables) record += WideToUtf8(name) + ": " + WideToUtf8(value) + "\n";
  return record + "\n";
}

std::wstring AppendInvocationRecord(const std::wstring& commandLine) {
  wchar_t logSetting[MAX_PATH] = {};
  const std::wstring logPath(logSetting, ReadTestSetting(L"ORLINTH_POWERSHELL_LOG", logSetting, MAX_PATH));
  if (logPath.empty()) return {};
  // What the tests check of the environment Setup gave; ORLINTH_SETUP_PID last.
  std::vector<std::pair<std::wstring, std::wstring>> variables;
  for (const wchar_t* name : {L"PSModulePath", L"TEMP", L"PATH", L"ALLUSERSPROFILE", L"CommonProgramFiles",
                              L"COR_ENABLE_PROFILING", L"COR_PROFILER_PATH", L"ORLINTH_SETUP_PID"}) {
    variables.emplace_back(name, Environment(name));
  }
  const std::string record = FormatInvocationRecord(commandLine, CurrentFolder(), variables);
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
