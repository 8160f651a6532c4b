#include "selfupdate/deferred_replace.h"

#include <windows.h>

#include <string>
#include <vector>

#include "base/child_process.h"
#include "base/file_helpers.h"
#include "base/path_helpers.h"
#include "base/working_root.h"
#include "selfupdate/cmd_text.h"
#include "selfupdate/update_locations.h"

namespace {

std::wstring StartLine(const std::wstring& program, const std::wstring& arguments) {
  std::wstring line = L"  start " + QuotePath(L"Orlinth Setup") + L" " + CmdQuotedPath(program);
  if (!arguments.empty()) line += L" " + CmdArgumentText(arguments);
  return line;
}

// cmd.exe from System32 by full path, in System32, without AutoRun commands
// and with the user's defaults for extensions and delayed expansion set aside:
// nothing planted beside Setup or in the registry of the user joins in.
bool StartHiddenScript(const std::wstring& script) {
  const std::wstring system = SystemFolder();
  // On cmd's own command line a % cannot be escaped, not even in quotes: a
  // script path holding one (it lies below ProgramData) is not started.
  if (system.empty() || script.find(L'%') != std::wstring::npos) return false;
  ChildProgram cmd;
  cmd.path = JoinPath(system, L"cmd.exe");
  cmd.commandLine = L"cmd.exe /d /e:on /v:off /c " + QuotePath(script);
  cmd.workingFolder = system;
  cmd.wait = false;  // the script waits for this process to end
  return RunChildProgram(cmd).outcome == ChildRunOutcome::Running;
}

// After the copy: when it failed, the old Setup goes back under its name, and
// a differently named old one is deleted only once the new one is there.
void AddCopyOutcome(std::vector<std::wstring>& lines, const std::wstring& old, const std::wstring& aside,
                    const std::wstring& log, bool sameName) {
  const std::wstring restore = L"move /y " + aside + L" " + CmdQuotedPath(old) + L" >>" + log + L" 2>&1";
  if (sameName) {
    lines.push_back(L"if errorlevel 1 " + restore);
    return;
  }
  lines.insert(lines.end(), {L"if errorlevel 1 (", L"  " + restore, L") else (",
                             L"  del /f /q " + CmdQuotedPath(old) + L" 2>nul", L")"});
}

}  // namespace

std::wstring QuotePath(const std::wstring& text) { return L"\"" + text + L"\""; }

std::wstring ComposeReplaceScript(const ReplaceScriptPaths& paths, const std::wstring& relaunchArguments) {
  const std::wstring& source = paths.source;
  const std::wstring& old = paths.oldPath;
  const std::wstring& destination = paths.destination;
  const std::wstring log = CmdQuotedPath(paths.log);
  const std::wstring aside = CmdQuotedPath(old + L".old");
  const bool sameName = SamePathText(old, destination);

  std::vector<std::wstring> lines = {
      L"@echo off",
      L"setlocal",
      CmdQuotedPath(paths.ping) + L" 127.0.0.1 -n 5 >nul",
      L"echo [cmd] start>>" + log,
      L"echo [cmd] src=" + CmdBareText(source) + L">>" + log,
      L"echo [cmd] old=" + CmdBareText(old) + L">>" + log,
      L"echo [cmd] dest=" + CmdBareText(destination) + L">>" + log,
      L"del /f /q " + aside + L" 2>nul",
      L"if exist " + CmdQuotedPath(old) + L" (",
      L"  move /y " + CmdQuotedPath(old) + L" " + aside + L" >>" + log + L" 2>&1",
      L")",
      L"copy /y " + CmdQuotedPath(source) + L" " + CmdQuotedPath(destination) + L" >>" + log + L" 2>&1",
  };
  AddCopyOutcome(lines, old, aside, log, sameName);
  lines.insert(lines.end(), {
                                L"del /f /q " + aside + L" 2>nul",
                                L"if exist " + CmdQuotedPath(destination) + L" (",
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

bool ScheduleDeferredReplace(const std::wstring& source, const std::wstring& oldPath, const std::wstring& destination,
                             const std::wstring& relaunchArguments) {
  const std::wstring system = SystemFolder();
  if (system.empty() || !EnsureWorkingFolder(SelfUpdateFolder())) return false;
  const std::wstring script = ReplaceScriptPath();
  const ReplaceScriptPaths paths = {source, oldPath, destination, ReplaceLogPath(), JoinPath(system, L"ping.exe")};
  // A path cmd would misread is no script at all; one written only in part is
  // left behind and never run.
  std::string bytes;
  if (!EncodeForCmd(ComposeReplaceScript(paths, relaunchArguments), &bytes)) return false;
  if (!WriteWholeFile(script, bytes)) return false;
  return StartHiddenScript(script);
}
