#include "support/window_capture.h"

#include <utility>

#include "base/win_handle.h"
#include "support/temp_folder.h"

namespace {

// A screen area as 32-bit pixels, top row first (blue, green, red, unused).
std::optional<std::vector<DWORD>> GrabScreen(const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return std::nullopt;
  UniqueScreenDc screen(::GetDC(nullptr));
  UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
  UniqueGdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
  if (!screen || !memory || !bitmap) return std::nullopt;
  HGDIOBJ previous = ::SelectObject(memory.get(), bitmap.get());
  // The screen as shown, so owner drawing and frames are included.
  ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY);
  ::SelectObject(memory.get(), previous);

  BITMAPINFOHEADER header = {};
  header.biSize = sizeof(header);
  header.biWidth = width;
  header.biHeight = -height;  // top row first
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
  if (!::GetDIBits(memory.get(), bitmap.get(), 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
                   DIB_RGB_COLORS)) {
    return std::nullopt;
  }
  return pixels;
}

void AppendValue(std::string& bytes, const void* value, size_t size) {
  bytes.append(static_cast<const char*>(value), size);
}

}  // namespace

bool CaptureWindowToBmp(HWND window, const std::wstring& path) {
  RECT rect{};
  if (!::GetWindowRect(window, &rect)) return false;
  const auto pixels = GrabScreen(rect);
  if (!pixels) return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;

  // 24 bits, bottom row first: the form every image tool reads without
  // guessing at an alpha channel.
  const size_t stride = ((static_cast<size_t>(width) * 3 + 3) / 4) * 4;
  std::string rows(stride * height, '\0');
  for (int y = 0; y < height; ++y) {
    char* row = rows.data() + stride * (height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const DWORD pixel = (*pixels)[static_cast<size_t>(y) * width + x];
      row[x * 3] = static_cast<char>(pixel & 0xFF);
      row[x * 3 + 1] = static_cast<char>((pixel >> 8) & 0xFF);
      row[x * 3 + 2] = static_cast<char>((pixel >> 16) & 0xFF);
    }
  }
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof(header);
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(header);
  file.bfSize = static_cast<DWORD>(file.bfOffBits + rows.size());
  std::string bytes;
  AppendValue(bytes, &file, sizeof(file));
  AppendValue(bytes, &header, sizeof(header));
  bytes += rows;
  return WriteFileBytes(path, bytes);
}

COLORREF ClientPicture::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return RGB(0, 0, 0);
  const DWORD pixel = pixels[static_cast<size_t>(y) * width + x];
  return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

std::optional<ClientPicture> CaptureClientArea(HWND window) {
  RECT client{};
  if (!::GetClientRect(window, &client)) return std::nullopt;
  ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const auto pixels = GrabScreen(client);
  if (!pixels) return std::nullopt;
  ClientPicture picture;
  picture.width = client.right - client.left;
  picture.height = client.bottom - client.top;
  picture.pixels = std::move(*pixels);
  return picture;
}
