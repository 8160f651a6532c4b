#include "support/window_capture.h"

#include <vector>

#include "app/win_handle.h"
#include "support/temp_folder.h"

namespace {

struct MemoryDcTraits {
  using Type = HDC;
  static Type Invalid() noexcept { return nullptr; }
  static bool IsValid(Type value) noexcept { return value != nullptr; }
  static void Close(Type value) noexcept { ::DeleteDC(value); }
};
using UniqueMemoryDc = UniqueResource<MemoryDcTraits>;

}  // namespace

bool CaptureWindowToBmp(HWND window, const std::wstring& path) {
  RECT rect{};
  if (!::GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;

  UniqueScreenDc screen(::GetDC(nullptr));
  UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
  UniqueGdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
  if (!screen || !memory || !bitmap) return false;
  HGDIOBJ previous = ::SelectObject(memory.get(), bitmap.get());
  // The screen as shown, so owner drawing and frames are included.
  ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY);
  ::SelectObject(memory.get(), previous);

  BITMAPINFOHEADER header = {};
  header.biSize = sizeof(header);
  header.biWidth = width;
  header.biHeight = height;  // bottom-up, as BMP files store it
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const size_t stride = ((static_cast<size_t>(width) * 3 + 3) / 4) * 4;
  std::vector<char> pixels(stride * static_cast<size_t>(height));
  if (!::GetDIBits(memory.get(), bitmap.get(), 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
                   DIB_RGB_COLORS)) {
    return false;
  }
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(header);
  file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
  bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
  bytes.append(pixels.data(), pixels.size());
  return WriteFileBytes(path, bytes);
}
