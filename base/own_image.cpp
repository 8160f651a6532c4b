#include "base/own_image.h"

#include "base/path_helpers.h"
#include "base/win_handle.h"

namespace {

UniqueHandle& HeldImage() {
  static UniqueHandle image;  // released only by the end of the process
  return image;
}

}  // namespace

bool HoldOwnImage() {
  UniqueHandle& image = HeldImage();
  if (image) return true;
  const std::wstring path = OwnExecutablePath();
  if (path.empty()) return false;
  image.reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr));
  return static_cast<bool>(image);
}

HANDLE OwnImage() { return HeldImage().get(); }

void ReleaseOwnImage() { HeldImage().reset(); }
