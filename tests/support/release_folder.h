// Release folders for operation tests: Setup.exe beside an install package,
// run with the PowerShell stand-in in the Wine prefix.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "support/temp_folder.h"

class ReleaseFolder {
 public:
  // Setup.exe and the sample package in a new folder, or in a folder of that
  // name inside a new folder.
  ReleaseFolder();
  explicit ReleaseFolder(const std::wstring& name);

  const std::wstring& path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }
  std::wstring SetupExe() const { return File(L"Setup.exe"); }

  // Replaces a script of the package with this text (UTF-8, CR LF).
  void WriteScript(const std::wstring& name, const std::string& text) const;

 private:
  TempFolder folder_;
  std::wstring path_;
};

// The sample package's script, as shipped.
std::string SampleScript(const std::wstring& name);

// Puts the stand-in where Windows keeps PowerShell, or takes it away again.
bool InstallPowerShellStandIn();
bool RemovePowerShellStandIn();

// One run of the stand-in, as its invocation log recorded it.
struct PowerShellRun {
  std::wstring command;
  std::wstring folder;
  std::wstring modulePath;  // PSModulePath
  std::wstring setupProcessId;
  std::map<std::wstring, std::wstring> environment;  // every variable recorded, by name
};

// Points the stand-in's log at a new file for the life of this object.
class PowerShellLog {
 public:
  PowerShellLog();
  ~PowerShellLog();
  PowerShellLog(const PowerShellLog&) = delete;
  PowerShellLog& operator=(const PowerShellLog&) = delete;

  std::vector<PowerShellRun> Runs() const;

 private:
  TempFolder folder_;
  std::wstring path_;
};
