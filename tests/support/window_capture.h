// What a window shows on screen: saved as a BMP file, or read as pixels.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// Saves the whole window, frame included, as a 24-bit BMP file.
bool CaptureWindowToBmp(HWND window, const std::wstring& path);

// The pixels of a window's client area, top row first.
struct ClientPicture {
  int width = 0;
  int height = 0;
  std::vector<DWORD> pixels;  // 0x00RRGGBB

  // The colour at a point in client coordinates; black outside.
  COLORREF At(int x, int y) const;
};

std::optional<ClientPicture> CaptureClientArea(HWND window);
