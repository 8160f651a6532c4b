#include "app/self_update_check.h"

#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "app/launch_options.h"
#include "app/window_messages.h"
#include "app/window_setters.h"
#include "base/user_messages.h"
#include "selfupdate/self_update.h"
#include "ui/main_window_state.h"

namespace {

// Window thread only.
bool g_enabled = false;
std::optional<OperationKind> g_heldRequest;
std::thread g_check;

// Posts what the thread owns to the window; when the window is gone the
// message and its object go with it.
template <typename Owned>
void PostOwned(HWND dialog, UINT message, std::unique_ptr<Owned> owned) {
  if (::PostMessageW(dialog, message, 0, reinterpret_cast<LPARAM>(owned.get()))) owned.release();
}

void PostRequest(HWND dialog, OperationKind kind) {
  ::PostMessageW(dialog, WM_APP_REQUEST_INSTALL, static_cast<WPARAM>(kind), 0);
}

// The check is over without a hand-over: the held request goes ahead.
void ReleaseHeldRequest(HWND dialog) {
  if (!g_heldRequest) return;
  PostRequest(dialog, *g_heldRequest);
  g_heldRequest.reset();
}

}  // namespace

void EnableSelfUpdateCheck(bool enabled) { g_enabled = enabled; }

void StartSelfUpdateCheck(HWND dialog) {
  if (!g_enabled || g_check.joinable()) return;
  g_check = std::thread([dialog] {
    auto manifest = std::make_unique<ReleaseManifest>();
    if (FindNewerSetup(manifest.get())) {
      PostOwned(dialog, WM_APP_NEWER_SETUP, std::move(manifest));
    } else {
      ::PostMessageW(dialog, WM_APP_NO_NEWER_SETUP, 0, 0);
    }
  });
}

void WaitForSelfUpdateCheck() {
  if (g_check.joinable()) g_check.join();
}

void PostCommandLineRequest(HWND dialog, OperationKind kind) {
  if (g_enabled) {
    g_heldRequest = kind;
  } else {
    PostRequest(dialog, kind);
  }
}

void OnNewerSetup(HWND dialog, const ReleaseManifest& manifest) {
  // An operation the user started meanwhile goes first; the next start asks.
  if (MainState().busy || MainState().requestPending) {
    AppendLog(L"새 Setup " + manifest.setupVersion + L"이 있지만 작업 중이라 묻지 않습니다.");
    ReleaseHeldRequest(dialog);
    return;
  }
  if (!UserWantsUpdate(manifest.setupVersion)) {
    ReleaseHeldRequest(dialog);
    return;
  }
  SetBusy(true);
  SetStatusText(L"새 Setup을 받는 중...");
  const std::wstring relaunch = CurrentLaunchOptions().relaunchParameters;
  std::thread([dialog, manifest, relaunch] {
    auto message = std::make_unique<std::wstring>();
    HandOverToNewerSetup(manifest, relaunch, message.get());  // ends the process when it hands over
    PostOwned(dialog, WM_APP_SELF_UPDATE_FAILED, std::move(message));
  }).detach();
}

void OnNoNewerSetup(HWND dialog) { ReleaseHeldRequest(dialog); }

void OnSelfUpdateFailed(HWND dialog, const std::wstring& message) {
  SetBusy(false);
  RefreshStatus();
  if (!message.empty()) ShowMessage(message, MB_ICONWARNING);
  ReleaseHeldRequest(dialog);
}
