#include "ops/script_runner.h"

#include <windows.h>

#include "base/child_process.h"
#include "base/text_helpers.h"
#include "base/work_report.h"
#include "package/hidden_powershell.h"

namespace {

// Chunk progress: 3 when reading starts, then 4..12 for the first nine chunks.
constexpr int kFirstReadProgress = 3;
constexpr int kLastChunkProgress = 12;

// The script's output as it arrives: lines to the log, chunks to the bar.
class OutputReader {
 public:
  void Take(std::string_view chunk) {
    Begin();
    buffer_.append(chunk);
    SplitOutputLines(buffer_, false);
    if (chunkProgress_ < kLastChunkProgress) ReportProgress(++chunkProgress_);
  }
  void Finish() {
    Begin();
    SplitOutputLines(buffer_, true);
  }

 private:
  void Begin() {
    if (chunkProgress_ == 0) ReportProgress(chunkProgress_ = kFirstReadProgress);
  }
  std::string buffer_;
  int chunkProgress_ = 0;
};

}  // namespace

std::wstring BuildScriptCommandLine(const std::wstring& scriptPath, const std::wstring& scriptArguments) {
  return L"powershell.exe -NoProfile -ExecutionPolicy Bypass -Command \"$ErrorActionPreference='Stop'; "
         L"$OutputEncoding = [Console]::OutputEncoding = New-Object System.Text.UTF8Encoding $false; try { & " +
         QuotePowerShellLiteral(scriptPath) + scriptArguments +
         L"; if ($null -ne $LASTEXITCODE -and $LASTEXITCODE -ne 0) { exit $LASTEXITCODE }; exit 0 } catch { $_ | "
         L"Out-String | Write-Host; exit 1 }\"";
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
  for (const std::wstring& line : CutOutputLines(buffer, flush)) ReportLogLine(line);
}

int RunScript(const std::wstring& packageFolder, const std::wstring& scriptPath, const std::wstring& scriptArguments) {
  OutputReader reader;
  ChildProgram script;
  script.endsWithSetup = true;
  script.path = PowerShellPath();
  script.commandLine = BuildScriptCommandLine(scriptPath, scriptArguments);
  script.workingFolder = packageFolder;
  script.environment = PowerShellEnvironment();
  script.environment.push_back({L"ORLINTH_SETUP_PID", std::to_wstring(::GetCurrentProcessId())});
  script.output = [&reader](std::string_view chunk) { reader.Take(chunk); };
  const ChildRunResult run = RunChildProgram(script);
  switch (run.outcome) {
    case ChildRunOutcome::NoPipe:
      ReportLogLine(L"[오류] CreatePipe 실패");
      return -1;
    case ChildRunOutcome::NotStarted:
      ReportLogLine(L"[오류] PowerShell 실행 실패");
      return static_cast<int>(run.code);
    case ChildRunOutcome::Finished:
    case ChildRunOutcome::Running:
      break;
  }
  reader.Finish();
  return static_cast<int>(run.code);
}
