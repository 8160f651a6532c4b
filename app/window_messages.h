// The messages by which requests and background work reach the main dialog.
#pragma once

#include <windows.h>

#include "ops/operation_kind.h"

// wParam: the OperationKind; lParam: 0.
inline constexpr UINT WM_APP_START_OPERATION = WM_APP + 41;
// wParam, lParam: 0. Posted by the dialog to itself in automatic-update mode.
inline constexpr UINT WM_APP_REQUEST_INSTALL = WM_APP + 42;
// lParam: a heap std::wstring owned by the message (the receiver deletes it).
inline constexpr UINT WM_APP_LOG_LINE = WM_APP + 50;
inline constexpr UINT WM_APP_STATUS_TEXT = WM_APP + 51;
inline constexpr UINT WM_APP_STEP_TEXT = WM_APP + 52;
// wParam: the percent, signed 32-bit.
inline constexpr UINT WM_APP_PROGRESS = WM_APP + 53;
// lParam: a heap OperationResult owned by the message.
inline constexpr UINT WM_APP_OPERATION_DONE = WM_APP + 54;
// wParam: 1 while a package download runs (and may be cancelled), 0 after it.
inline constexpr UINT WM_APP_DOWNLOADING = WM_APP + 55;
// lParam: a heap ReleaseManifest owned by the message: the server has a newer Setup.
inline constexpr UINT WM_APP_NEWER_SETUP = WM_APP + 60;
// lParam: a heap std::wstring owned by the message: why the self-update failed.
inline constexpr UINT WM_APP_SELF_UPDATE_FAILED = WM_APP + 61;
// The start-up check found no newer Setup (or could not ask).
inline constexpr UINT WM_APP_NO_NEWER_SETUP = WM_APP + 62;
