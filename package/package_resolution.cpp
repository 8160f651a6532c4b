#include "package/package_resolution.h"

#include "app/path_helpers.h"
#include "app/window_posting.h"
#include "package/embedded_payload.h"

const wchar_t kPackageNotFoundMessage[] =
    L"설치 패키지를 찾을 수 없습니다.\n\n• 온라인: 인터넷 연결 후 다시 실행하세요.\n• 폴더 배포: Setup.exe 를 릴리스 "
    L"폴더 안에서 실행하세요.\n• 단일 파일 배포: Pack-Setup 으로 만든 Setup.exe 를 사용하세요.";

namespace {

// A release distributed as a folder: Setup sits beside the scripts.
std::wstring ReleaseFolder() {
  const std::wstring folder = GetSetupFolder();
  if (folder.empty()) return {};
  if (!IsRegularFile(JoinPath(folder, L"Install.ps1")) || !IsRegularFile(JoinPath(folder, L"ImeInstallCommon.ps1"))) {
    return {};
  }
  return folder;
}

}  // namespace

std::wstring ResolvePackageFolder(std::wstring* errorText) {
  const std::wstring release = ReleaseFolder();
  if (!release.empty()) {
    PostText(WM_APP_LOG_LINE, L"로컬 패키지 폴더 사용: " + release);
    return release;
  }
  // The release server is not asked yet; the embedded payload follows.
  std::wstring payloadFolder;
  switch (PrepareEmbeddedPackage(&payloadFolder, errorText)) {
    case EmbeddedPackageOutcome::Ready:
      return payloadFolder;
    case EmbeddedPackageOutcome::Failed:
      return {};
    case EmbeddedPackageOutcome::NoPayload:
      break;
  }
  if (errorText && errorText->empty()) *errorText = kPackageNotFoundMessage;
  return {};
}
