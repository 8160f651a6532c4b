#include "base/child_environment.h"

#include <windows.h>
#include <shlobj.h>

#include "base/file_helpers.h"
#include "base/path_helpers.h"
#include "base/system_library.h"
#include "base/win_handle.h"
#include "base/working_root.h"

namespace {

std::wstring WindowsFolder() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = ::GetWindowsDirectoryW(folder, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(folder, length);
}

std::wstring KnownFolder(int folderId) {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, folderId, nullptr, SHGFP_TYPE_CURRENT, folder))) return {};
  return folder;
}

std::wstring ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
  return ::GetComputerNameW(name, &length) ? std::wstring(name, length) : std::wstring();
}

// The account this process runs as: its name and its domain.
std::pair<std::wstring, std::wstring> AccountNames() {
  UniqueHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return {};
  alignas(TOKEN_USER) unsigned char buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE] = {};
  DWORD size = 0;
  if (!::GetTokenInformation(token.get(), TokenUser, buffer, sizeof(buffer), &size)) return {};
  wchar_t name[256] = {};
  wchar_t domain[256] = {};
  DWORD nameLength = 256;
  DWORD domainLength = 256;
  SID_NAME_USE use;
  if (!::LookupAccountSidW(nullptr, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, name, &nameLength, domain,
                           &domainLength, &use)) {
    return {};
  }
  return {name, domain};
}

std::wstring ProcessorArchitecture() {
  SYSTEM_INFO info = {};
  ::GetNativeSystemInfo(&info);
  switch (info.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_AMD64:
      return L"AMD64";
    case PROCESSOR_ARCHITECTURE_ARM64:
      return L"ARM64";
    case PROCESSOR_ARCHITECTURE_INTEL:
      return L"x86";
    default:
      return {};
  }
}

std::wstring ProcessorCount() {
  SYSTEM_INFO info = {};
  ::GetNativeSystemInfo(&info);
  return std::to_wstring(info.dwNumberOfProcessors);
}

// Made in the working root as it stands, which every operation has checked
// already: checking again here could rebuild the root under the package a
// script is about to run from. Empty when the folder cannot be had: the child
// then uses its own default.
std::wstring TemporaryFolder() {
  const std::wstring root = WorkingRootPath();
  const std::wstring folder = WorkingPath(L"temp");
  return !folder.empty() && OpenRealFolder(root, 0) && EnsureFolder(folder) ? folder : std::wstring();
}

}  // namespace

std::wstring SystemEnvironmentBlock() {
  using Create = BOOL(WINAPI*)(LPVOID*, HANDLE, BOOL);
  using Destroy = BOOL(WINAPI*)(LPVOID);
  static const auto create = SystemFunction<Create>(L"userenv.dll", "CreateEnvironmentBlock");
  static const auto destroy = SystemFunction<Destroy>(L"userenv.dll", "DestroyEnvironmentBlock");
  void* made = nullptr;
  // No token and nothing inherited: the variables of the machine alone.
  if (create == nullptr || destroy == nullptr || !create(&made, nullptr, FALSE) || made == nullptr) return {};
  std::wstring block;
  for (const wchar_t* entry = static_cast<const wchar_t*>(made); *entry != L'\0';) {
    const std::size_t length = std::char_traits<wchar_t>::length(entry);
    block.append(entry, length + 1);
    entry += length + 1;
  }
  block.push_back(L'\0');
  destroy(made);
  return block;
}

std::vector<EnvironmentSetting> CleanChildEnvironment() {
  const std::wstring windows = WindowsFolder();
  const std::wstring system = SystemFolder();
  const std::wstring temp = TemporaryFolder();
  const std::wstring profile = KnownFolder(CSIDL_PROFILE);
  const std::size_t afterDrive = profile.size() > 2 && profile[1] == L':' ? 2 : 0;
  const auto [user, domain] = AccountNames();
  return {
      {L"SystemRoot", windows},
      {L"windir", windows},
      {L"SystemDrive", windows.substr(0, windows.find(L'\\'))},
      {L"ComSpec", system.empty() ? std::wstring() : JoinPath(system, L"cmd.exe")},
      {L"PATH", system.empty() ? std::wstring()
                               : system + L";" + windows + L";" + JoinPath(system, L"Wbem") + L";" +
                                     JoinPath(system, L"WindowsPowerShell\\v1.0")},
      {L"PATHEXT", L".COM;.EXE;.BAT;.CMD;.VBS;.VBE;.JS;.JSE;.WSF;.WSH;.MSC"},
      {L"TEMP", temp},
      {L"TMP", temp},
      // PowerShell would keep it in the user's profile otherwise.
      {L"PSModuleAnalysisCachePath", temp.empty() ? std::wstring() : JoinPath(temp, L"ModuleAnalysisCache")},
      {L"USERPROFILE", profile},
      {L"HOMEDRIVE", profile.substr(0, afterDrive)},
      {L"HOMEPATH", afterDrive == 0 ? std::wstring() : profile.substr(afterDrive)},
      {L"APPDATA", KnownFolder(CSIDL_APPDATA)},
      {L"LOCALAPPDATA", KnownFolder(CSIDL_LOCAL_APPDATA)},
      {L"ProgramData", KnownFolder(CSIDL_COMMON_APPDATA)},
      {L"ProgramFiles", KnownFolder(CSIDL_PROGRAM_FILES)},
      {L"ProgramFiles(x86)", KnownFolder(CSIDL_PROGRAM_FILESX86)},
      {L"ProgramW6432", KnownFolder(CSIDL_PROGRAM_FILES)},
      {L"COMPUTERNAME", ComputerName()},
      {L"USERNAME", user},
      {L"USERDOMAIN", domain},
      {L"PROCESSOR_ARCHITECTURE", ProcessorArchitecture()},
      {L"NUMBER_OF_PROCESSORS", ProcessorCount()},
      {L"OS", L"Windows_NT"},
  };
}
