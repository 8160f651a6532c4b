#include "package/server_package.h"

#include <windows.h>
#include <shlobj.h>

#include "app/failure.h"
#include "app/path_helpers.h"
#include "app/text_helpers.h"
#include "app/win_handle.h"
#include "net/sha256_verify.h"
#include "package/hidden_powershell.h"

namespace {

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsDirectory(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MakeFolder(const std::wstring& folder) {
  if (folder.empty()) return false;
  if (IsDirectory(folder)) return true;
  const int result = ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS;
}

void Report(const ProgressCallback& progress, const wchar_t* text) {
  if (progress) progress(0, text);
}

// Only its existence counts; a stamp that cannot be written means the next
// run downloads again.
void WriteStamp(const std::wstring& stamp, const std::wstring& version) {
  UniqueHandle file(
      ::CreateFileW(stamp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  const std::string bytes = WideToUtf8(version);
  DWORD written = 0;
  ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

std::wstring FindInstallScriptFolder(const std::wstring& folder) {
  if (IsRegularFile(JoinPath(folder, L"Install.ps1"))) return folder;
  WIN32_FIND_DATAW entry;
  UniqueFindHandle listing(::FindFirstFileW(JoinPath(folder, L"*").c_str(), &entry));
  if (!listing) return {};
  do {
    const std::wstring name = entry.cFileName;
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || name == L"." || name == L"..") continue;
    const std::wstring candidate = JoinPath(folder, name);
    if (IsRegularFile(JoinPath(candidate, L"Install.ps1"))) return candidate;
  } while (::FindNextFileW(listing.get(), &entry));
  return {};
}

bool PrepareServerPackage(const ReleaseManifest& manifest, std::wstring* folder, const ProgressCallback& progress,
                          std::wstring* errorText) {
  if (folder == nullptr) return false;
  const std::wstring root = JoinPath(JoinPath(LocalAppDataFolder(), L"Orlinth-Japanese"), L"package-cache");
  const std::wstring versionFolder = JoinPath(root, manifest.packageVersion);
  const std::wstring stamp = JoinPath(versionFolder, L".package_ok");

  if (Exists(stamp)) {
    const std::wstring cached = FindInstallScriptFolder(versionFolder);
    if (!cached.empty()) {
      *folder = cached;
      return true;
    }
  }
  if (Exists(versionFolder)) RemoveFolderTree(versionFolder);
  if (!MakeFolder(versionFolder)) return FailWithMessage(errorText, L"패키지 캐시 폴더를 만들 수 없습니다.");

  const std::wstring archive = JoinPath(versionFolder, L"_package.zip");
  Report(progress, L"설치 패키지 다운로드 중...");
  if (!DownloadFile(manifest.packageUrl, archive, progress, errorText)) return false;
  if (!VerifyFileSha256(archive, manifest.packageSha256, errorText)) {
    ::DeleteFileW(archive.c_str());
    return false;
  }
  Report(progress, L"패키지 압축 해제 중...");
  if (!ExpandZipArchive(archive, versionFolder)) return FailWithMessage(errorText, L"패키지 압축 해제에 실패했습니다.");
  ::DeleteFileW(archive.c_str());

  const std::wstring located = FindInstallScriptFolder(versionFolder);
  if (located.empty()) return FailWithMessage(errorText, L"압축 결과에 Install.ps1 이 없습니다.");
  WriteStamp(stamp, manifest.packageVersion);
  *folder = located;
  return true;
}
