#include "selfupdate/update_locations.h"

#include "base/language_table.h"
#include "base/path_helpers.h"
#include "base/working_root.h"

namespace {

// Empty stays empty, so nothing lands in the current folder by accident.
std::wstring InUpdateFolder(const wchar_t* name) {
  const std::wstring folder = SelfUpdateFolder();
  return folder.empty() ? std::wstring() : JoinPath(folder, name);
}

}  // namespace

std::wstring LocalSetupFolder() { return WorkingRootPath(); }

std::wstring SelfUpdateFolder() { return WorkingPath(L"setup-update"); }

std::wstring DownloadedSetupPath() { return InUpdateFolder(L"OrlinthSetup-update.exe"); }

std::wstring ReplaceLogPath() { return InUpdateFolder(L"replace-setup.log"); }

std::wstring VersionedSetupName(const std::wstring& version) {
  return std::wstring(L"OrlinthSetup-") + TargetLanguage().englishName + L"-" + version + L".exe";
}
