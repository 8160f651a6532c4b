#include "package/package_resolution.h"

#include "base/disk_space.h"
#include "base/file_helpers.h"
#include "base/installed_version.h"
#include "base/json_object.h"
#include "base/own_image.h"
#include "base/path_helpers.h"
#include "base/text_helpers.h"
#include "base/version_compare.h"
#include "base/work_report.h"
#include "net/release_manifest.h"
#include "net/release_signature.h"
#include "package/embedded_payload.h"
#include "package/payload_trailer.h"
#include "package/release_copy.h"
#include "package/server_package.h"

const wchar_t kPackageNotFoundMessage[] =
    L"설치 패키지를 찾을 수 없습니다.\n\n• 온라인: 인터넷 연결 후 다시 실행하세요.\n• 폴더 배포: Setup.exe 를 릴리스 "
    L"폴더 안에서 실행하세요.\n• 단일 파일 배포: Pack-Setup 으로 만든 Setup.exe 를 사용하세요.";

namespace {

std::wstring g_handedOnReleaseFolder;

// A server that accepts and never answers must not hold the install up for
// long when Setup carries a package of its own.
constexpr std::uint64_t kPackageQueryBudgetMs = 10000;

std::wstring ServerFailureText(const std::wstring& detail, bool networkAdvice) {
  return L"서버에서 설치 패키지를 받지 못했습니다.\n\n" + detail +
         (networkAdvice ? L"\n\n인터넷 연결을 확인한 뒤 다시 시도하세요." : L"");
}

// A keyed build never goes back to an older package than the one installed,
// whatever the source: an old signed answer replayed, or an old signed folder
// or Setup started again, must not undo a fix. `source` names where the
// package came from, as the message begins.
bool IsRollback(const std::wstring& version, const wchar_t* source, std::wstring* message) {
  const std::wstring installed = InstalledPackageVersion();
  if (!IsKeyedBuild() || installed.empty() || CompareVersions(version, installed) >= 0) return false;
  *message = std::wstring(source) + L" 설치 패키지(" + version + L")가 설치된 버전(" + installed +
             L")보다 낮아 사용하지 않습니다.";
  ReportLogLine(*message);
  return true;
}

// The "version" of the package's own manifest.json, read from its copy in the
// working root; empty when there is none.
std::wstring PackageManifestVersion(const std::wstring& folder) {
  constexpr std::uint64_t kLargestManifest = 65536;
  JsonMembers manifest;
  if (!ReadJsonObject(ReadSmallFile(JoinPath(folder, L"manifest.json"), kLargestManifest), &manifest, nullptr)) {
    return {};
  }
  const std::wstring version = Utf8ToWide(JsonStringMember(manifest, "version"));
  return IsPlainVersionToken(version) ? version : std::wstring();
}

// The newest package from the release server; empty when the manifest or the
// package cannot be had (a package failure, and an answer or package a keyed
// build refused, is recorded in errorText).
std::wstring ServerPackageFolder(std::wstring* version, std::wstring* errorText) {
  ReleaseManifest manifest;
  std::wstring manifestError;
  bool refused = false;
  if (!FetchReleaseManifest(&manifest, &manifestError, kPackageQueryBudgetMs, &refused)) {
    ReportLogLine(L"latest 조회 실패(오프라인/미게시): " + manifestError);
    if (refused && errorText) *errorText = ServerFailureText(manifestError, false);
    return {};
  }
  ReportLogLine(L"서버 packageVersion: " + manifest.packageVersion);
  std::wstring rollback;
  if (IsRollback(manifest.packageVersion, L"서버의", &rollback)) {
    if (errorText) *errorText = ServerFailureText(rollback, false);
    return {};
  }
  // Captions become the status line; percentages move the bar.
  const ProgressCallback toWindow = [](int percent, const wchar_t* caption) {
    if (caption != nullptr && *caption != L'\0') ReportStatus(caption);
    ReportProgress(percent < 0 ? kProgressUnknown : percent);  // below 0: the length is unknown
  };
  std::wstring folder;
  std::wstring packageError;
  if (PrepareServerPackage(manifest, &folder, toWindow, &packageError) && !folder.empty()) {
    ReportLogLine(L"서버 패키지 준비 완료: " + folder);
    *version = manifest.packageVersion;
    return folder;
  }
  ReportLogLine(L"서버 패키지 준비 실패: " + packageError);
  if (errorText) *errorText = ServerFailureText(packageError, !IsDiskSpaceMessage(packageError));
  return {};
}

}  // namespace

std::wstring ReleaseFolder() {
  // A Setup that carries a package installs only that: the scripts beside a
  // downloaded single-file Setup may have been put there by anybody.
  if (ReadPayloadTrailer(OwnImage())) return {};
  const std::wstring folder = g_handedOnReleaseFolder.empty() ? GetSetupFolder() : g_handedOnReleaseFolder;
  if (folder.empty()) return {};
  if (!IsRegularFile(JoinPath(folder, L"Install.ps1")) || !IsRegularFile(JoinPath(folder, L"ImeInstallCommon.ps1"))) {
    return {};
  }
  return folder;
}

void SetHandedOnReleaseFolder(const std::wstring& folder) {
  std::wstring trimmed = folder;
  // Without a trailing "\", so that the folder can be quoted on a command line.
  while (trimmed.size() > 2 && trimmed.back() == L'\\') trimmed.pop_back();
  g_handedOnReleaseFolder = IsPlainFullPath(trimmed) ? trimmed : std::wstring();
}

namespace {

enum class SourceOutcome { Found, Failed, Absent };

// What a source found: the folder and the package version it names.
struct FoundPackage {
  std::wstring folder;
  std::wstring version;
};

// A carried package older than the installed one ends the search: installing
// anything else instead is not what was started.
SourceOutcome FoundUnlessRollback(const FoundPackage& found, const wchar_t* source, std::wstring* errorText) {
  std::wstring rollback;
  if (!IsRollback(found.version, source, &rollback)) return SourceOutcome::Found;
  if (errorText) *errorText = rollback;
  return SourceOutcome::Failed;
}

SourceOutcome FromReleaseFolder(FoundPackage* found, std::wstring* errorText) {
  const std::wstring release = ReleaseFolder();
  if (release.empty()) return SourceOutcome::Absent;
  ReportLogLine(L"로컬 패키지 폴더 사용: " + release);
  std::wstring message;
  switch (CopyReleasePackage(release, &found->folder, &found->version, &message)) {
    case ReleaseCopyOutcome::Copied:
      // Without keys no list is signed: the package names its own version.
      if (!IsKeyedBuild()) found->version = PackageManifestVersion(found->folder);
      return FoundUnlessRollback(*found, L"릴리스 폴더의", errorText);
    case ReleaseCopyOutcome::Failed:
      if (errorText) *errorText = message;
      return SourceOutcome::Failed;
    case ReleaseCopyOutcome::Refused:
      ReportLogLine(L"릴리스 폴더를 사용하지 않습니다: " + message);
      break;
  }
  return SourceOutcome::Absent;
}

// A server failure leaves its message and lets the next source try.
SourceOutcome FromServer(FoundPackage* found, std::wstring* errorText) {
  ReportStatus(L"서버에서 설치 패키지를 확인하는 중...");
  ReportStep(L"최신 패키지 조회");
  ReportLogLine(L"서버 latest 조회 중...");
  found->folder = ServerPackageFolder(&found->version, errorText);
  if (!found->folder.empty()) return SourceOutcome::Found;
  // Stopped by the user: nothing else is to be tried either.
  return DownloadCancelRequest().load() ? SourceOutcome::Failed : SourceOutcome::Absent;
}

SourceOutcome FromPayload(FoundPackage* found, std::wstring* errorText) {
  switch (PrepareEmbeddedPackage(&found->folder, errorText)) {
    case EmbeddedPackageOutcome::Ready:
      found->version = PackageManifestVersion(found->folder);
      return FoundUnlessRollback(*found, L"Setup에 포함된", errorText);
    case EmbeddedPackageOutcome::Failed:
      return SourceOutcome::Failed;
    case EmbeddedPackageOutcome::NoPayload:
      break;
  }
  return SourceOutcome::Absent;
}

}  // namespace

std::wstring ResolvePackageFolder(bool carriedFirst, std::wstring* errorText, std::wstring* packageVersion) {
  using Source = SourceOutcome (*)(FoundPackage*, std::wstring*);
  const Source order[] = {FromReleaseFolder, carriedFirst ? FromPayload : FromServer,
                          carriedFirst ? FromServer : FromPayload};
  for (const Source source : order) {
    FoundPackage found;
    switch (source(&found, errorText)) {
      case SourceOutcome::Found:
        if (packageVersion) *packageVersion = found.version;
        return found.folder;
      case SourceOutcome::Failed:
        return {};
      case SourceOutcome::Absent:
        break;
    }
  }
  if (errorText && errorText->empty()) *errorText = kPackageNotFoundMessage;
  return {};
}
