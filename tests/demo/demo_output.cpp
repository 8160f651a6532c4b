#include "demo/demo_output.h"

#include <cstdio>

#include "base/text_helpers.h"
#include "support/window_capture.h"

void Say(const std::wstring& text) {
  std::printf("%s\n", WideToUtf8(text).c_str());
  std::fflush(stdout);
}

bool SavePicture(HWND window, const std::wstring& path) {
  ::Sleep(700);  // let it paint
  const bool saved = CaptureWindowToBmp(window, path);
  Say((saved ? L"picture: " : L"picture failed: ") + path);
  return saved;
}

int StopWithFailure(const std::wstring& why) {
  Say(L"failed: " + why);
  return 1;
}
