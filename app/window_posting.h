// The only way background code reaches the main window: posted messages that
// carry heap copies, owned by the message once the post succeeds.
#pragma once

#include <windows.h>

#include <string>

#include "app/window_messages.h"

// The dialog, or null until it has been initialised. Safe from any thread.
HWND MainWindowHandle();

// Makes the window the target of every post, the owner of message boxes and
// the receiver of what background work reports (null: none of these).
void SetMainWindowHandle(HWND window);

// Posts a copy of the text with WM_APP_LOG_LINE, WM_APP_STATUS_TEXT or
// WM_APP_STEP_TEXT. Nothing is posted while the main window does not exist.
void PostText(UINT message, const std::wstring& text);

// Posts WM_APP_PROGRESS with the percent when the main window exists.
void PostProgress(int percent);

// Posts WM_APP_OPERATION_DONE with a heap copy of the result. False when the
// post failed (the copy has then been freed here).
bool PostOperationResult(const OperationResult& result);
