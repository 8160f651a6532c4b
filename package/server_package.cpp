#include "package/server_package.h"

#include <windows.h>

#include <vector>

#include "base/disk_space.h"
#include "base/failure.h"
#include "base/file_helpers.h"
#include "base/folder_removal.h"
#include "base/path_helpers.h"
#include "base/text_helpers.h"
#include "base/win_handle.h"
#include "base/work_report.h"
#include "base/working_root.h"
#include "net/resumable_download.h"
#include "net/sha256_verify.h"
#include "package/hidden_powershell.h"

namespace {

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void Report(const ProgressCallback& progress, const wchar_t* text) {
  if (progress) progress(0, text);
}

// "<version>\n<SHA-256>": which bytes were extracted, so that a package
// published again under the same version is fetched again.
std::string StampText(const ReleaseManifest& manifest) {
  return WideToUtf8(manifest.packageVersion) + "\n" + WideToUtf8(manifest.packageSha256);
}

bool IsStampCurrent(const std::wstring& stamp, const ReleaseManifest& manifest) {
  const std::string text = ReadSmallFile(stamp, 1024);
  const size_t lineEnd = text.find('\n');
  return lineEnd != std::string::npos && text.substr(0, lineEnd) == WideToUtf8(manifest.packageVersion) &&
         HashTextEquals(Utf8ToWide(text.substr(lineEnd + 1)), manifest.packageSha256);
}

// Only the newest package is kept: older ones are never used again.
void RemoveOtherVersions(const std::wstring& cache, const std::wstring& keep) {
  WIN32_FIND_DATAW entry;
  std::vector<std::wstring> others;
  UniqueFindHandle listing(::FindFirstFileW(JoinPath(cache, L"*").c_str(), &entry));
  if (!listing) return;
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L".." && !SamePathText(name, keep)) others.push_back(JoinPath(cache, name));
  } while (::FindNextFileW(listing.get(), &entry));
  listing.reset();
  for (const std::wstring& other : others) RemoveFolderTree(other);
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
  const std::wstring versionFolder = JoinPath(WorkingPath(L"package-cache"), manifest.packageVersion);
  const std::wstring stamp = JoinPath(versionFolder, L".package_ok");
  // Nothing in the cache is looked at before the working root is checked.
  if (!EnsureWorkingFolder(FolderOfPath(versionFolder))) {
    return FailWithMessage(errorText, L"패키지 캐시 폴더를 만들 수 없습니다.");
  }

  if (IsStampCurrent(stamp, manifest)) {
    const std::wstring cached = FindInstallScriptFolder(versionFolder);
    if (!cached.empty()) {
      *folder = cached;
      return true;
    }
  }
  if (Exists(versionFolder)) RemoveFolderTree(versionFolder);
  if (!EnsureWorkingFolder(versionFolder)) return FailWithMessage(errorText, L"패키지 캐시 폴더를 만들 수 없습니다.");

  // Outside the version folder, so that a cut download survives for the next
  // run to continue, whatever becomes of that folder.
  const std::wstring downloads = WorkingPath(L"package-download");
  if (!EnsureWorkingFolder(downloads)) return FailWithMessage(errorText, L"패키지 캐시 폴더를 만들 수 없습니다.");
  const std::wstring archive = JoinPath(downloads, manifest.packageVersion + L".zip");
  Report(progress, L"설치 패키지 다운로드 중...");
  ReportDownloading(true);
  const bool downloaded = DownloadFile(
      DownloadJob{manifest.packageUrl, archive, manifest.packageSha256, progress, &DownloadCancelRequest()}, errorText);
  ReportDownloading(false);
  // Checked against the published digest as it arrived.
  if (!downloaded) return false;
  // The extracted files take about as much again as the archive, or more.
  WIN32_FILE_ATTRIBUTE_DATA archiveData = {};
  if (::GetFileAttributesExW(archive.c_str(), GetFileExInfoStandard, &archiveData) &&
      !HasRoomFor(versionFolder,
                  2 * ((static_cast<std::uint64_t>(archiveData.nFileSizeHigh) << 32) | archiveData.nFileSizeLow),
                  errorText)) {
    return false;
  }
  Report(progress, L"패키지 압축 해제 중...");
  if (!ExpandZipArchive(archive, versionFolder)) return FailWithMessage(errorText, L"패키지 압축 해제에 실패했습니다.");
  ::DeleteFileW(archive.c_str());

  const std::wstring located = FindInstallScriptFolder(versionFolder);
  if (located.empty()) return FailWithMessage(errorText, L"압축 결과에 Install.ps1 이 없습니다.");
  // Without it the next run downloads again.
  WriteWholeFile(stamp, StampText(manifest));
  RemoveOtherVersions(FolderOfPath(versionFolder), manifest.packageVersion);
  *folder = located;
  return true;
}
