// The text of any window, of any length, also in another process.
#pragma once

#include <windows.h>

#include <string>

std::wstring WindowTextOf(HWND window);
