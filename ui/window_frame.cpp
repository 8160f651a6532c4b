#include "ui/window_frame.h"

#include <dwmapi.h>

#include "base/system_library.h"
#include "ui/theme_palette.h"

namespace {

// Attribute numbers of newer Windows 10 and 11 builds; the toolchain's header
// predates them.
constexpr DWORD kUseImmersiveDarkMode = 20;
constexpr DWORD kWindowCornerPreference = 33;
constexpr DWORD kCaptionColor = 35;
constexpr DWORD kTextColor = 36;
constexpr DWORD kRoundCorners = 2;
constexpr DWORD kSystemDefault = 0;         // corners
constexpr DWORD kSystemColor = 0xFFFFFFFF;  // caption and text colours

}  // namespace

void ApplyWindowFrame(HWND dialog) {
  static const auto setAttribute =
      SystemFunction<decltype(&::DwmSetWindowAttribute)>(L"dwmapi.dll", "DwmSetWindowAttribute");
  if (setAttribute == nullptr || dialog == nullptr) return;
  const ThemePalette& palette = Palette();
  // Under high contrast the frame is the system's: every attribute back to it.
  const bool own = !palette.highContrast;
  const DWORD values[][2] = {
      {kUseImmersiveDarkMode, palette.dark ? 1u : 0u},
      {kWindowCornerPreference, own ? kRoundCorners : kSystemDefault},
      {kCaptionColor, own ? palette.Accent : kSystemColor},
      {kTextColor, own ? RGB(255, 255, 255) : kSystemColor},
  };
  for (const auto& [attribute, value] : values) {
    setAttribute(dialog, attribute, &value, sizeof(value));
  }
}
