// The convention at subsystem boundaries: false, plus a message for the user
// when the caller asked for one.
#pragma once

#include <string>

inline bool FailWithMessage(std::wstring* message, const std::wstring& text) {
  if (message) *message = text;
  return false;
}

// The same for a failed system call: the run log also gets its error code
// (Win32 or WinHTTP), while the message stays the user's text.
bool FailWithCode(std::wstring* message, const std::wstring& text, unsigned long code);
