// Runs one package script hidden through Windows PowerShell and streams its
// output to the main window as log lines.
#pragma once

#include <string>
#include <vector>

// The PowerShell command line that runs the script with errors made
// terminating, UTF-8 output and the script's exit code passed on.
std::wstring BuildScriptCommandLine(const std::wstring& scriptPath, const std::wstring& scriptArguments);

// Windows PowerShell in System32, started by full path so that a
// powershell.exe beside Setup is never the one run.
std::wstring PowerShellPath();

// Points PSModulePath, for the PowerShell children this process starts, at
// PowerShell's own system modules alone: the user's Documents folder, first
// on the usual path, could hold a module that replaces a command Setup uses.
void LimitPowerShellModules();

// Runs the script with the package folder as working directory. Returns its
// exit code, -1 when the pipe cannot be made, or the system error of a failed
// start.
int RunScript(const std::wstring& packageFolder, const std::wstring& scriptPath,
              const std::wstring& scriptArguments);

// Cuts the complete lines (LF, with one CR before it dropped) off the front of
// `buffer` and decodes each from UTF-8. With `flush` the unterminated rest is
// one more line and the buffer ends empty.
std::vector<std::wstring> CutOutputLines(std::string& buffer, bool flush);

// CutOutputLines, posting each line to the main window.
void SplitOutputLines(std::string& buffer, bool flush);
