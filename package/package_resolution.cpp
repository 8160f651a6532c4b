#include "package/package_resolution.h"

#include <optional>
#include <utility>

#include "base/disk_space.h"
#include "base/file_helpers.h"
#include "base/installed_version.h"
#include "base/json_object.h"
#include "base/own_image.h"
#include "base/path_helpers.h"
#include "base/text_helpers.h"
#include "base/version_compare.h"
#include "base/work_report.h"
#include "net/http_exchange.h"
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

// A sign-in Setup cannot give: the network works, so instead of the offline
// hints, what the user can do without it.
std::wstring SignInFailureText(const std::wstring& detail) {
  return ServerFailureText(detail, false) + L"\n\n릴리스 폴더가 있으면 그 안의 Setup.exe 를 실행해 설치할 수 있습니다.";
}

bool IsSignInMessage(const std::wstring& message) {
  for (const std::uint32_t status : {HTTP_STATUS_PROXY_AUTH_REQ, HTTP_STATUS_DENIED}) {
    if (message.find(StatusMessage(status)) != std::wstring::npos) return true;
  }
  return false;
}

// One search for a package: what was asked, and why nothing came of it so far.
struct Resolution {
  PackageRequest request;
  std::wstring message;
  PackageFailure failure = PackageFailure::None;

  void Fail(PackageFailure kind, const std::wstring& text) {
    failure = kind;
    message = text;
  }
};

// A package the search must not take, whatever the source: an unattended
// install never goes back to an older version unless asked to, and a keyed
// build never at all (an old signed answer replayed, or an old signed folder
// or Setup started again, must not undo a fix). `source` names where the
// package came from, as the message begins. Without a message: taken.
std::optional<std::pair<PackageFailure, std::wstring>> RefusedOlder(const Resolution& resolution,
                                                                    const std::wstring& version,
                                                                    const wchar_t* source) {
  const std::wstring installed = InstalledPackageVersion();
  if (installed.empty() || CompareVersions(version, installed) >= 0) return std::nullopt;
  const std::wstring said = std::wstring(source) + L" 설치 패키지(" + version + L")가 설치된 버전(" + installed +
                            L")보다 낮아 사용하지 않습니다.";
  if (resolution.request.refuseOlder) {
    return std::make_pair(PackageFailure::NewerInstalled, said +
                                                              L"\n낮은 버전을 설치하려면 /allowdowngrade 를 함께 "
                                                              L"지정하세요.");
  }
  if (IsKeyedBuild()) return std::make_pair(PackageFailure::RefusedByPolicy, said);
  return std::nullopt;
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

PackageFailure FailureOfPackageError(const std::wstring& message) {
  if (DownloadCancelRequest().load()) return PackageFailure::Cancelled;
  return IsDiskSpaceMessage(message) ? PackageFailure::DiskFull : PackageFailure::Other;
}

// The newest package from the release server; empty when the manifest or the
// package cannot be had. A refusal or a failed package is recorded in the
// resolution; an answer that never came leaves it as it was, for the next
// source to try.
std::wstring ServerPackageFolder(Resolution& resolution, std::wstring* version) {
  ReleaseManifest manifest;
  std::wstring manifestError;
  AnswerTrouble trouble = AnswerTrouble::None;
  if (!FetchReleaseManifest(&manifest, &manifestError, kPackageQueryBudgetMs, &trouble)) {
    ReportLogLine(L"latest 조회 실패(오프라인/미게시): " + manifestError);
    if (trouble == AnswerTrouble::Refused) {
      resolution.Fail(PackageFailure::RefusedByPolicy, ServerFailureText(manifestError, false));
    } else if (trouble == AnswerTrouble::SignIn) {
      // The server could not be had: a package Setup carries is still tried.
      resolution.Fail(PackageFailure::NoSource, SignInFailureText(manifestError));
    }
    return {};
  }
  ReportLogLine(L"서버 packageVersion: " + manifest.packageVersion);
  if (const auto older = RefusedOlder(resolution, manifest.packageVersion, L"서버의")) {
    ReportLogLine(older->second);
    resolution.Fail(older->first, ServerFailureText(older->second, false));
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
  if (IsSignInMessage(packageError)) {
    resolution.Fail(PackageFailure::NoSource, SignInFailureText(packageError));
    return {};
  }
  resolution.Fail(FailureOfPackageError(packageError),
                  ServerFailureText(packageError, !IsDiskSpaceMessage(packageError)));
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
SourceOutcome FoundUnlessOlder(Resolution& resolution, const FoundPackage& found, const wchar_t* source) {
  const auto older = RefusedOlder(resolution, found.version, source);
  if (!older) return SourceOutcome::Found;
  ReportLogLine(older->second);
  resolution.Fail(older->first, older->second);
  return SourceOutcome::Failed;
}

SourceOutcome FromReleaseFolder(Resolution& resolution, FoundPackage* found) {
  const std::wstring release = ReleaseFolder();
  if (release.empty()) return SourceOutcome::Absent;
  ReportLogLine(L"로컬 패키지 폴더 사용: " + release);
  std::wstring message;
  switch (CopyReleasePackage(release, &found->folder, &found->version, &message)) {
    case ReleaseCopyOutcome::Copied:
      // Without keys no list is signed: the package names its own version.
      if (!IsKeyedBuild()) found->version = PackageManifestVersion(found->folder);
      return FoundUnlessOlder(resolution, *found, L"릴리스 폴더의");
    case ReleaseCopyOutcome::Failed:
      resolution.Fail(FailureOfPackageError(message), message);
      return SourceOutcome::Failed;
    case ReleaseCopyOutcome::Refused:
      ReportLogLine(L"릴리스 폴더를 사용하지 않습니다: " + message);
      break;
  }
  return SourceOutcome::Absent;
}

SourceOutcome FromServer(Resolution& resolution, FoundPackage* found) {
  ReportStatus(L"서버에서 설치 패키지를 확인하는 중...");
  ReportStep(L"최신 패키지 조회");
  ReportLogLine(L"서버 latest 조회 중...");
  found->folder = ServerPackageFolder(resolution, &found->version);
  if (!found->folder.empty()) return SourceOutcome::Found;
  // Stopped by the user: nothing else is to be tried either.
  if (DownloadCancelRequest().load()) {
    resolution.failure = PackageFailure::Cancelled;
    return SourceOutcome::Failed;
  }
  return resolution.failure == PackageFailure::NewerInstalled ? SourceOutcome::Failed : SourceOutcome::Absent;
}

SourceOutcome FromPayload(Resolution& resolution, FoundPackage* found) {
  std::wstring message;
  switch (PrepareEmbeddedPackage(&found->folder, &message)) {
    case EmbeddedPackageOutcome::Ready:
      found->version = PackageManifestVersion(found->folder);
      return FoundUnlessOlder(resolution, *found, L"Setup에 포함된");
    case EmbeddedPackageOutcome::Failed:
      resolution.Fail(FailureOfPackageError(message), message);
      return SourceOutcome::Failed;
    case EmbeddedPackageOutcome::NoPayload:
      break;
  }
  return SourceOutcome::Absent;
}

}  // namespace

ResolvedPackage ResolvePackage(const PackageRequest& request) {
  Resolution resolution;
  resolution.request = request;
  using Source = SourceOutcome (*)(Resolution&, FoundPackage*);
  const Source order[] = {FromReleaseFolder, request.carriedFirst ? FromPayload : FromServer,
                          request.carriedFirst ? FromServer : FromPayload};
  for (const Source source : order) {
    FoundPackage found;
    switch (source(resolution, &found)) {
      case SourceOutcome::Found:
        return {found.folder, found.version, L"", PackageFailure::None};
      case SourceOutcome::Failed:
        return {L"", L"", resolution.message,
                resolution.failure == PackageFailure::None ? PackageFailure::Other : resolution.failure};
      case SourceOutcome::Absent:
        break;
    }
  }
  // Nothing to take: a refusal says why; otherwise no source was there at all.
  if (resolution.failure != PackageFailure::None) return {L"", L"", resolution.message, resolution.failure};
  return {L"", L"", kPackageNotFoundMessage, PackageFailure::NoSource};
}
