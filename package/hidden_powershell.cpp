#include "package/hidden_powershell.h"

#include "base/path_helpers.h"
#include "base/text_helpers.h"

std::wstring PowerShellPath() {
  const std::wstring system = SystemFolder();
  if (system.empty()) return {};
  return system + L"\\WindowsPowerShell\\v1.0\\powershell.exe";
}

std::vector<EnvironmentSetting> PowerShellEnvironment() {
  const std::wstring system = SystemFolder();
  return {{L"PSModulePath", system.empty() ? std::wstring() : system + L"\\WindowsPowerShell\\v1.0\\Modules"}};
}

std::wstring ExpandArchiveCommand(const std::wstring& archive, const std::wstring& destination) {
  return L"powershell.exe -NoProfile -ExecutionPolicy Bypass -Command \"Expand-Archive -LiteralPath " +
         QuotePowerShellLiteral(archive) + L" -DestinationPath " + QuotePowerShellLiteral(destination) + L" -Force\"";
}

bool ExpandZipArchive(const std::wstring& archive, const std::wstring& destination) {
  ChildProgram expand;
  expand.endsWithSetup = true;
  expand.path = PowerShellPath();
  expand.commandLine = ExpandArchiveCommand(archive, destination);
  expand.environment = PowerShellEnvironment();
  const ChildRunResult run = RunChildProgram(expand);
  return run.outcome == ChildRunOutcome::Finished && run.code == 0;
}
