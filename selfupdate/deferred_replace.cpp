#include "selfupdate/deferred_replace.h"

#include <windows.h>

#include <string>
#include <vector>

#include "app/file_helpers.h"
#include "app/path_helpers.h"
#include "app/win_handle.h"
#include "app/working_root.h"
#include "selfupdate/update_locations.h"

namespace {

std::wstring StartLine(const std::wstring& program, const std::wstring& arguments) {
  std::wstring line = L"  start " + QuotePath(L"Orlinth Setup") + L" " + QuotePath(program);
  if (!arguments.empty()) line += L" " + arguments;
  return line;
}

std::string ToAnsiCodePage(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
  if (size <= 0) return {};
  std::string bytes(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                        nullptr);
  return bytes;
}

// cmd.exe from System32 by full path; one planted beside Setup never runs.
bool StartHiddenScript(const std::wstring& script) {
  const std::wstring system = SystemFolder();
  if (system.empty()) return false;
  const std::wstring interpreter = JoinPath(system, L"cmd.exe");
  std::wstring commandLine = L"cmd.exe /c " + QuotePath(script);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION started = {};
  if (!::CreateProcessW(interpreter.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &started)) {
    return false;
  }
  UniqueHandle process(started.hProcess);
  UniqueHandle thread(started.hThread);
  return true;
}

}  // namespace

std::wstring QuotePath(const std::wstring& text) { return L"\"" + text + L"\""; }

std::wstring ComposeReplaceScript(const ReplaceScriptPaths& paths, const std::wstring& relaunchArguments) {
  const std::wstring& source = paths.source;
  const std::wstring& old = paths.oldPath;
  const std::wstring& destination = paths.destination;
  const std::wstring log = QuotePath(paths.log);
  const std::wstring aside = QuotePath(old + L".old");
  const bool sameName = SamePathText(old, destination);

  std::vector<std::wstring> lines = {
      L"@echo off",
      L"setlocal",
      L"ping 127.0.0.1 -n 5 >nul",
      L"echo [cmd] start>>" + log,
      L"echo [cmd] src=" + source + L">>" + log,
      L"echo [cmd] old=" + old + L">>" + log,
      L"echo [cmd] dest=" + destination + L">>" + log,
      L"del /f /q " + aside + L" 2>nul",
      L"if exist " + QuotePath(old) + L" (",
      L"  move /y " + QuotePath(old) + L" " + aside + L" >>" + log + L" 2>&1",
      L")",
      L"copy /y " + QuotePath(source) + L" " + QuotePath(destination) + L" >>" + log + L" 2>&1",
  };
  // Under the same name a failed copy would leave no Setup at all: put the
  // old one back before its aside copy is deleted.
  if (sameName) lines.push_back(L"if errorlevel 1 move /y " + aside + L" " + QuotePath(old) + L" >>" + log + L" 2>&1");
  lines.push_back(L"del /f /q " + aside + L" 2>nul");
  if (!sameName) lines.push_back(L"del /f /q " + QuotePath(old) + L" 2>nul");
  lines.insert(lines.end(), {
                                L"if exist " + QuotePath(destination) + L" (",
                                L"  echo [cmd] launch dest>>" + log,
                                StartLine(destination, relaunchArguments),
                                L") else (",
                                L"  echo [cmd] launch fallback>>" + log,
                                StartLine(source, relaunchArguments),
                                L")",
                                L"del /f /q " + QuotePath(L"%~f0") + L" 2>nul",
                            });
  std::wstring script;
  for (const std::wstring& line : lines) script += line + L"\r\n";
  return script;
}

bool ScheduleDeferredReplace(const std::wstring& source, const std::wstring& oldPath,
                             const std::wstring& destination, const std::wstring& relaunchArguments) {
  if (!EnsureWorkingFolder(SelfUpdateFolder())) return false;
  const std::wstring script = ReplaceScriptPath();
  const ReplaceScriptPaths paths = {source, oldPath, destination, ReplaceLogPath()};
  // A script written only in part is left behind and never run.
  if (!WriteWholeFile(script, ToAnsiCodePage(ComposeReplaceScript(paths, relaunchArguments)))) return false;
  return StartHiddenScript(script);
}
