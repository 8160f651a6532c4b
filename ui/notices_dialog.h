// The open-source notices: resource 280 shown in dialog 270.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// Modal, owned by the main dialog; returns when it closes.
void ShowNoticesDialog(HWND owner);

// The same with the text of another RCDATA resource of the program; the
// dialog's end code.
INT_PTR ShowNoticesDialogFrom(HWND owner, int noticesResourceId);

// The notices resource as text for an edit control; empty when the resource is
// missing, empty or not convertible.
std::wstring LoadNoticesText();
std::wstring LoadNoticesResource(int resourceId);

// The bytes of a notices text (UTF-8, with or without byte-order mark) with
// every bare LF turned into CR LF.
std::wstring DecodeNoticesText(const char* bytes, std::size_t size);
