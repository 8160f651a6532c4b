#include "ops/script_runner.h"

#include <windows.h>

#include "app/path_helpers.h"
#include "app/text_helpers.h"
#include "app/win_handle.h"
#include "app/window_posting.h"

namespace {

constexpr DWORD kReadChunk = 4096;

// Chunk progress: 3 when reading starts, then 4..12 for the first nine chunks.
constexpr int kFirstReadProgress = 3;
constexpr int kLastChunkProgress = 12;

void ReadOutputUntilClosed(HANDLE readEnd) {
  PostProgress(kFirstReadProgress);
  int chunkProgress = kFirstReadProgress;
  std::string buffer;
  char chunk[kReadChunk];
  DWORD read = 0;
  // Fails (broken pipe) once every writer has exited.
  while (::ReadFile(readEnd, chunk, kReadChunk, &read, nullptr) && read > 0) {
    buffer.append(chunk, read);
    SplitOutputLines(buffer, false);
    if (chunkProgress < kLastChunkProgress) PostProgress(++chunkProgress);
  }
  SplitOutputLines(buffer, true);
}

}  // namespace

std::wstring BuildScriptCommandLine(const std::wstring& scriptPath, const std::wstring& scriptArguments) {
  return L"powershell.exe -NoProfile -ExecutionPolicy Bypass -Command \"$ErrorActionPreference='Stop'; "
         L"$OutputEncoding = [Console]::OutputEncoding = New-Object System.Text.UTF8Encoding $false; try { & " +
         QuotePowerShellLiteral(scriptPath) + scriptArguments +
         L"; if ($null -ne $LASTEXITCODE -and $LASTEXITCODE -ne 0) { exit $LASTEXITCODE }; exit 0 } catch { $_ | "
         L"Out-String | Write-Host; exit 1 }\"";
}

std::wstring PowerShellPath() {
  const std::wstring system = SystemFolder();
  if (system.empty()) return {};
  return system + L"\\WindowsPowerShell\\v1.0\\powershell.exe";
}

void LimitPowerShellModules() {
  const std::wstring system = SystemFolder();
  const std::wstring modules = system.empty() ? std::wstring() : system + L"\\WindowsPowerShell\\v1.0\\Modules";
  ::SetEnvironmentVariableW(L"PSModulePath", modules.empty() ? nullptr : modules.c_str());
}

std::vector<std::wstring> CutOutputLines(std::string& buffer, bool flush) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t end; (end = buffer.find('\n', start)) != std::string::npos; start = end + 1) {
    size_t length = end - start;
    if (length > 0 && buffer[end - 1] == '\r') --length;
    lines.push_back(Utf8ToWide(std::string_view(buffer).substr(start, length)));
  }
  buffer.erase(0, start);
  if (flush && !buffer.empty()) {
    lines.push_back(Utf8ToWide(buffer));
    buffer.clear();
  }
  return lines;
}

void SplitOutputLines(std::string& buffer, bool flush) {
  for (const std::wstring& line : CutOutputLines(buffer, flush)) PostText(WM_APP_LOG_LINE, line);
}

int RunScript(const std::wstring& packageFolder, const std::wstring& scriptPath,
              const std::wstring& scriptArguments) {
  SECURITY_ATTRIBUTES inheritable = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  UniqueHandle readEnd;
  UniqueHandle writeEnd;
  if (!::CreatePipe(readEnd.put(), writeEnd.put(), &inheritable, 0)) {
    PostText(WM_APP_LOG_LINE, L"[오류] CreatePipe 실패");
    return -1;
  }
  ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);

  std::wstring commandLine = BuildScriptCommandLine(scriptPath, scriptArguments);
  ::SetEnvironmentVariableW(L"ORLINTH_SETUP_PID", std::to_wstring(::GetCurrentProcessId()).c_str());
  LimitPowerShellModules();

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdOutput = writeEnd.get();
  startup.hStdError = writeEnd.get();
  PROCESS_INFORMATION started = {};
  const std::wstring powerShell = PowerShellPath();
  const BOOL ok = ::CreateProcessW(powerShell.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                   CREATE_NO_WINDOW, nullptr, packageFolder.c_str(), &startup, &started);
  const DWORD startError = ::GetLastError();
  // Only the child may hold a write end now, so reading ends when it exits.
  writeEnd.reset();
  if (!ok) {
    readEnd.reset();
    PostText(WM_APP_LOG_LINE, L"[오류] PowerShell 실행 실패");
    return static_cast<int>(startError);
  }
  UniqueProcessInformation child;
  child.Adopt(started);

  ReadOutputUntilClosed(readEnd.get());
  readEnd.reset();
  ::WaitForSingleObject(child.process.get(), INFINITE);
  DWORD exitCode = 1;
  if (!::GetExitCodeProcess(child.process.get(), &exitCode)) exitCode = 1;
  return static_cast<int>(exitCode);
}
