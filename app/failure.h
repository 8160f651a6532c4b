// The convention at subsystem boundaries: false, plus a message for the user
// when the caller asked for one.
#pragma once

#include <string>

inline bool FailWithMessage(std::wstring* message, const std::wstring& text) {
  if (message) *message = text;
  return false;
}
