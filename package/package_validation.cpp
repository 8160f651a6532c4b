#include "package/package_validation.h"

#include <windows.h>

#include "base/file_helpers.h"
#include "base/folder_removal.h"
#include "base/path_helpers.h"
#include "base/product_paths.h"
#include "base/working_root.h"

namespace {

constexpr const wchar_t* kStagedFiles[] = {L"Uninstall.ps1", L"ImeInstallCommon.ps1"};

}  // namespace

bool ValidatePackageFolder(const std::wstring& folder, const std::wstring& scriptName, std::wstring* errorText) {
  if (!IsRegularFile(JoinPath(folder, scriptName))) {
    if (errorText) *errorText = scriptName + L" 을 패키지에서 찾을 수 없습니다.\n공식 릴리스 패키지인지 확인하세요.";
    return false;
  }
  if (!IsRegularFile(JoinPath(folder, L"ImeInstallCommon.ps1"))) {
    if (errorText) {
      *errorText = L"ImeInstallCommon.ps1 을 찾을 수 없습니다.\n공식 릴리스 패키지 또는 단일 파일 Setup 을 사용하세요.";
    }
    return false;
  }
  return true;
}

namespace {

bool HoldsStagedFiles(const std::wstring& folder) {
  for (const wchar_t* name : kStagedFiles) {
    if (!IsRegularFile(JoinPath(folder, name))) return false;
  }
  return true;
}

// Into the working root, where nobody but administrators can swap the
// scripts between the copy and the run.
std::wstring StageFrom(const std::wstring& source) {
  const std::wstring staging = WorkingPath(kStagedUninstallFolderName);
  if (staging.empty() || !EnsureWorkingFolder(staging)) return {};
  for (const wchar_t* name : kStagedFiles) {
    if (!::CopyFileW(JoinPath(source, name).c_str(), JoinPath(staging, name).c_str(), FALSE)) return {};
  }
  return staging;
}

}  // namespace

std::wstring StageUninstallScripts() {
  const std::wstring installed = InstallFolder();
  if (!installed.empty() && HoldsStagedFiles(installed)) return StageFrom(installed);
  // What the last install staged, when the product's folder has no scripts.
  const std::wstring staging = WorkingPath(kStagedUninstallFolderName);
  return !staging.empty() && EnsureWorkingFolder(staging) && HoldsStagedFiles(staging) ? staging : std::wstring();
}

void ForgetStagedUninstallScripts() {
  const std::wstring staging = WorkingPath(kStagedUninstallFolderName);
  if (!staging.empty() && IsDirectory(staging)) RemoveFolderTree(staging);
}

bool StageUninstallScriptsFrom(const std::wstring& packageFolder) {
  return HoldsStagedFiles(packageFolder) && !StageFrom(packageFolder).empty();
}
