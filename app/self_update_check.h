// The check for a newer Setup, once the window is on screen: asked off the
// window thread, offered only while the window is idle, and downloaded while
// the window shows it is busy.
#pragma once

#include <windows.h>

#include <string>

#include "net/release_manifest.h"
#include "ops/operation_kind.h"

// Called once at start: the check runs unless a deployment or /noselfupdate
// asks for none.
void EnableSelfUpdateCheck(bool enabled);

// Starts the check (on the first paint), if it is enabled.
void StartSelfUpdateCheck(HWND dialog);

// Waits, after the window has closed, for a check still under way (it ends
// within its budget): ending the process under a thread that is loading the
// HTTP library or inside it can hang the exit.
void WaitForSelfUpdateCheck();

// The window's command-line request (/update, /uninstall): posted at once, or
// held while the check runs, so that an offer accepted first hands it over to
// the newer Setup instead.
void PostCommandLineRequest(HWND dialog, OperationKind kind);

// WM_APP_NEWER_SETUP: offered while the window is idle, dropped otherwise.
void OnNewerSetup(HWND dialog, const ReleaseManifest& manifest);
// WM_APP_NO_NEWER_SETUP: the check is over, and nothing was offered.
void OnNoNewerSetup(HWND dialog);
// WM_APP_SELF_UPDATE_FAILED: the window goes on without the update.
void OnSelfUpdateFailed(HWND dialog, const std::wstring& message);
