// Runs one package script hidden through Windows PowerShell and streams its
// output to the log as it comes.
#pragma once

#include <string>
#include <vector>

// The PowerShell command line that runs the script with errors made
// terminating, UTF-8 output and the script's exit code passed on.
std::wstring BuildScriptCommandLine(const std::wstring& scriptPath, const std::wstring& scriptArguments);

// Runs the script with the package folder as working directory. Returns its
// exit code, -1 when the pipe cannot be made, or the system error of a failed
// start.
int RunScript(const std::wstring& packageFolder, const std::wstring& scriptPath, const std::wstring& scriptArguments);

// Cuts the complete lines (LF, with one CR before it dropped) off the front of
// `buffer` and decodes each from UTF-8. With `flush` the unterminated rest is
// one more line and the buffer ends empty.
std::vector<std::wstring> CutOutputLines(std::string& buffer, bool flush);

// CutOutputLines, reporting each line to the log.
void SplitOutputLines(std::string& buffer, bool flush);
