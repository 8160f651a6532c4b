// The old Setup's half of a self-update: offer, download, verify, hand off.
#include <windows.h>

#include "base/failure.h"
#include "base/path_helpers.h"
#include "base/run_log.h"
#include "base/setup_version.h"
#include "base/user_messages.h"
#include "base/version_compare.h"
#include "base/win_handle.h"
#include "base/working_root.h"
#include "build_config.h"
#include "net/http_client.h"
#include "net/release_manifest.h"
#include "net/resumable_download.h"
#include "net/sha256_verify.h"
#include "package/package_resolution.h"
#include "selfupdate/handoff_arguments.h"
#include "selfupdate/self_update.h"
#include "selfupdate/setup_launch.h"
#include "selfupdate/update_locations.h"

namespace {

// The check runs while the window is up, and its offer waits for it: a server
// that never answers must not hold it back for long, however the connection
// behaves.
constexpr std::uint64_t kStartupCheckBudgetMs = 5000;

// Setup itself is under 2 MiB.
constexpr std::uint64_t kLargestSetup = 16 * 1024 * 1024;

}  // namespace

bool FindNewerSetup(ReleaseManifest* manifest) {
  // Silent for the user, but a refused answer is worth a line in the log.
  std::wstring error;
  if (!FetchReleaseManifest(manifest, &error, kStartupCheckBudgetMs)) {
    WriteRunLog(L"새 Setup 확인 실패: " + error);
    return false;
  }
  if (manifest->setupVersion.empty() || manifest->setupUrl.empty() || manifest->setupSha256.empty()) return false;
  if (CompareVersions(manifest->setupVersion, kSetupVersion) == 1) return true;
  WriteRunLog(L"새 Setup 없음: 서버 " + manifest->setupVersion + L", 현재 " + kSetupVersion);
  return false;
}

bool UserWantsUpdate(const std::wstring& latest) {
  const std::wstring question = std::wstring(L"새 설치 프로그램이 있습니다.\n\n현재: ") + kSetupVersion + L"\n최신: " +
                                latest + L"\n\nSetup 파일을 업데이트한 뒤 다시 시작할까요?";
  return AskYesNo(question, MB_YESNO | MB_ICONINFORMATION);
}

bool HandOverToNewerSetup(const ReleaseManifest& manifest, const std::wstring& relaunchParameters,
                          std::wstring* message) {
  const std::wstring ownPath = OwnExecutablePath();
  if (ownPath.empty()) return FailWithMessage(message, L"현재 Setup 경로를 읽지 못했습니다.");
  if (!EnsureWorkingFolder(SelfUpdateFolder())) {
    return FailWithMessage(message, L"업데이트 임시 폴더를 만들 수 없습니다.");
  }
  const std::wstring downloaded = DownloadedSetupPath();
  ::DeleteFileW(downloaded.c_str());
  // Bounded in size and in time: a failure only means the window goes on
  // without the update.
  DownloadJob job{manifest.setupUrl, downloaded, manifest.setupSha256, nullptr};
  job.largest = kLargestSetup;
  job.deadlineMs = kSelfUpdateDownloadSeconds * 1000ULL;
  if (!DownloadFile(job, message)) return false;
  // Checked and started through one handle that lets nobody write or delete
  // the file in between; it stays open until the new Setup runs.
  UniqueHandle verified(::CreateFileW(downloaded.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  const bool intact = verified ? VerifyOpenFileSha256(verified.get(), manifest.setupSha256, message)
                               : FailWithMessage(message, L"해시 검증용 파일을 열지 못했습니다.");
  if (!intact) {
    verified.reset();
    ::DeleteFileW(downloaded.c_str());
    return false;
  }

  const std::wstring parameters = BuildHandOffParameters(ownPath, manifest.setupVersion, ::GetCurrentProcessId(),
                                                         ReleaseFolder(), relaunchParameters);
  // The verified download stays for the next attempt, which replaces it.
  if (!StartSetupProgram(downloaded, parameters)) return FailWithMessage(message, L"새 Setup을 실행하지 못했습니다.");
  ::ExitProcess(0);
}
