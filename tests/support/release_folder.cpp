#include "support/release_folder.h"

#include <windows.h>

#include "base/text_helpers.h"
#include "support/setup_driver.h"
#include "support/test_setting.h"

namespace {

constexpr const wchar_t* kPackageFiles[] = {L"Install.ps1", L"Uninstall.ps1", L"ImeInstallCommon.ps1",
                                            L"Orlinth-Japanese.dll", L"manifest.json"};

std::wstring SamplePackageFolder() { return TestProgramFolder() + L"\\sample-package"; }

std::wstring SystemFolder() {
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  return system;
}

std::vector<std::wstring> PowerShellPlaces() {
  return {SystemFolder() + L"\\WindowsPowerShell\\v1.0\\powershell.exe", SystemFolder() + L"\\powershell.exe"};
}

std::wstring AfterPrefix(const std::wstring& line, const std::wstring& prefix) {
  return line.rfind(prefix, 0) == 0 ? line.substr(prefix.size()) : std::wstring();
}

}  // namespace

ReleaseFolder::ReleaseFolder() : ReleaseFolder(L"") {}

ReleaseFolder::ReleaseFolder(const std::wstring& name) : path_(name.empty() ? folder_.path() : folder_.File(name)) {
  ::CreateDirectoryW(path_.c_str(), nullptr);
  ::CopyFileW(BuiltSetupExe().c_str(), SetupExe().c_str(), FALSE);
  for (const wchar_t* name : kPackageFiles) {
    ::CopyFileW((SamplePackageFolder() + L"\\" + name).c_str(), File(name).c_str(), FALSE);
  }
}

void ReleaseFolder::WriteScript(const std::wstring& name, const std::string& text) const {
  std::string crlf;
  for (char c : text) {
    if (c == '\n' && (crlf.empty() || crlf.back() != '\r')) crlf += '\r';
    crlf += c;
  }
  WriteFileBytes(File(name), crlf);
}

std::string SampleScript(const std::wstring& name) { return ReadFileBytes(SamplePackageFolder() + L"\\" + name); }

bool InstallPowerShellStandIn() {
  const std::wstring standIn = TestProgramFolder() + L"\\standin\\powershell.exe";
  for (const std::wstring& place : PowerShellPlaces()) {
    ::CreateDirectoryW(place.substr(0, place.rfind(L'\\')).c_str(), nullptr);
    if (!::CopyFileW(standIn.c_str(), place.c_str(), FALSE)) return false;
  }
  return true;
}

bool RemovePowerShellStandIn() {
  bool removed = true;
  for (const std::wstring& place : PowerShellPlaces()) removed = ::DeleteFileW(place.c_str()) && removed;
  return removed;
}

PowerShellLog::PowerShellLog() { SetTestSetting(L"ORLINTH_POWERSHELL_LOG", folder_.File(L"invocations.log")); }

PowerShellLog::~PowerShellLog() { ClearTestSetting(L"ORLINTH_POWERSHELL_LOG"); }

std::vector<PowerShellRun> PowerShellLog::Runs() const {
  std::vector<PowerShellRun> runs;
  const std::wstring text = Utf8ToWide(ReadFileBytes(folder_.File(L"invocations.log")));
  size_t start = 0;
  PowerShellRun run;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    start = end + 1;
    if (line.rfind(L"command: ", 0) == 0) run.command = AfterPrefix(line, L"command: ");
    if (line.rfind(L"folder: ", 0) == 0) run.folder = AfterPrefix(line, L"folder: ");
    if (line.rfind(L"PSModulePath: ", 0) == 0) run.modulePath = AfterPrefix(line, L"PSModulePath: ");
    const size_t colon = line.find(L": ");
    if (colon != std::wstring::npos) run.environment[line.substr(0, colon)] = line.substr(colon + 2);
    if (line.rfind(L"ORLINTH_SETUP_PID: ", 0) == 0) {
      run.setupProcessId = AfterPrefix(line, L"ORLINTH_SETUP_PID: ");
      runs.push_back(run);
      run = {};
    }
  }
  return runs;
}
