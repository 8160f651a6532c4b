// Saves what a window shows on screen as a 24-bit BMP file.
#pragma once

#include <windows.h>

#include <string>

bool CaptureWindowToBmp(HWND window, const std::wstring& path);
