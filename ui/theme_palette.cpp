#include "ui/theme_palette.h"

#include <cwchar>

#include "base/win_handle.h"

namespace {

constexpr wchar_t kPersonalizeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr wchar_t kHighContrastKey[] = L"Control Panel\\Accessibility\\HighContrast";

ThemePalette MakeLight() {
  ThemePalette p;
  p.dark = false;
  p.WindowBackground = RGB(243, 243, 243);
  p.CardBackground = RGB(255, 255, 255);
  p.CardBorder = RGB(226, 226, 226);
  p.HeaderTop = RGB(0, 111, 199);
  p.HeaderBottom = RGB(0, 68, 128);
  p.HeaderTitleText = RGB(255, 255, 255);
  p.HeaderSubtitleText = RGB(210, 231, 250);
  p.BodyText = RGB(32, 32, 32);
  p.LogBackground = RGB(250, 250, 250);
  p.LogText = RGB(51, 51, 51);
  p.ProgressTrack = RGB(226, 226, 226);
  p.Accent = RGB(0, 103, 192);
  p.AccentHover = RGB(0, 88, 166);
  p.AccentPressed = RGB(0, 72, 138);
  p.AccentText = RGB(255, 255, 255);
  p.DisabledFill = RGB(235, 235, 235);
  p.DisabledText = RGB(175, 175, 175);
  p.DangerText = RGB(196, 43, 28);
  p.DangerBorder = RGB(196, 43, 28);
  p.DangerHoverFill = RGB(253, 236, 234);
  p.NeutralText = RGB(90, 90, 90);
  p.NeutralHoverText = RGB(32, 32, 32);
  p.NeutralHoverFill = RGB(232, 232, 232);
  p.FocusRing = RGB(0, 103, 192);
  return p;
}

// Texts in the accent colour reach 4.5:1 on the card, so the accent is light
// and the primary button's text dark, as the system's own dark look has it.
ThemePalette MakeDark() {
  ThemePalette p;
  p.dark = true;
  p.WindowBackground = RGB(32, 32, 32);
  p.CardBackground = RGB(43, 43, 43);
  p.CardBorder = RGB(62, 62, 62);
  p.HeaderTop = RGB(20, 96, 170);
  p.HeaderBottom = RGB(8, 52, 100);
  p.HeaderTitleText = RGB(255, 255, 255);
  p.HeaderSubtitleText = RGB(186, 214, 240);
  p.BodyText = RGB(238, 238, 238);
  p.LogBackground = RGB(28, 28, 28);
  p.LogText = RGB(220, 220, 220);
  p.ProgressTrack = RGB(66, 66, 66);
  p.Accent = RGB(96, 165, 250);
  p.AccentHover = RGB(130, 185, 252);
  p.AccentPressed = RGB(70, 145, 235);
  p.AccentText = RGB(0, 0, 0);
  p.DisabledFill = RGB(56, 56, 56);
  p.DisabledText = RGB(110, 110, 110);
  p.DangerText = RGB(230, 108, 94);
  p.DangerBorder = RGB(230, 108, 94);
  p.DangerHoverFill = RGB(56, 33, 31);
  p.NeutralText = RGB(190, 190, 190);
  p.NeutralHoverText = RGB(240, 240, 240);
  p.NeutralHoverFill = RGB(58, 58, 58);
  p.FocusRing = RGB(255, 255, 255);
  return p;
}

ThemePalette g_palette = MakeLight();

// The value as stored, whatever its registry type; nothing when the key or
// the value is missing.
std::optional<DWORD> ReadAppsUseLightTheme() {
  UniqueRegKey key;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kPersonalizeKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD value = 1;
  DWORD size = sizeof(value);
  if (::RegQueryValueExW(key.get(), L"AppsUseLightTheme", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

// Wine answers SPI_GETHIGHCONTRAST with "off" whatever the setting, so the
// setting as stored is asked as well; on Windows the two agree.
bool IsHighContrastOn() {
  HIGHCONTRASTW setting = {};
  setting.cbSize = sizeof(setting);
  if (::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(setting), &setting, 0) &&
      (setting.dwFlags & HCF_HIGHCONTRASTON) != 0) {
    return true;
  }
  UniqueRegKey key;
  wchar_t flags[16] = {};
  DWORD size = sizeof(flags) - sizeof(wchar_t);
  DWORD type = 0;
  return ::RegOpenKeyExW(HKEY_CURRENT_USER, kHighContrastKey, 0, KEY_READ, key.put()) == ERROR_SUCCESS &&
         ::RegQueryValueExW(key.get(), L"Flags", nullptr, &type, reinterpret_cast<BYTE*>(flags), &size) ==
             ERROR_SUCCESS &&
         type == REG_SZ && (std::wcstoul(flags, nullptr, 10) & HCF_HIGHCONTRASTON) != 0;
}

SystemColors ReadSystemColors() {
  return {::GetSysColor(COLOR_WINDOW), ::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_HIGHLIGHT),
          ::GetSysColor(COLOR_HIGHLIGHTTEXT), ::GetSysColor(COLOR_GRAYTEXT)};
}

}  // namespace

ThemePalette HighContrastPalette(const SystemColors& c) {
  ThemePalette p;
  p.highContrast = true;
  p.WindowBackground = p.CardBackground = p.LogBackground = p.ProgressTrack = p.DisabledFill = c.window;
  p.HeaderTop = p.HeaderBottom = p.DangerHoverFill = c.window;
  p.CardBorder = p.HeaderTitleText = p.HeaderSubtitleText = p.BodyText = p.LogText = p.FocusRing = c.windowText;
  p.DangerText = p.DangerBorder = p.NeutralText = c.windowText;
  p.Accent = p.AccentHover = p.AccentPressed = p.NeutralHoverFill = c.highlight;
  p.AccentText = p.NeutralHoverText = c.highlightText;
  p.DisabledText = c.grayText;
  return p;
}

ThemePalette ChoosePalette(bool highContrast, std::optional<DWORD> appsUseLightTheme, const SystemColors& colors) {
  return highContrast ? HighContrastPalette(colors) : PaletteForAppTheme(appsUseLightTheme);
}

const ThemePalette& LightPalette() {
  static const ThemePalette light = MakeLight();
  return light;
}

const ThemePalette& DarkPalette() {
  static const ThemePalette dark = MakeDark();
  return dark;
}

const ThemePalette& PaletteForAppTheme(std::optional<DWORD> appsUseLightTheme) {
  return appsUseLightTheme == std::optional<DWORD>(0) ? DarkPalette() : LightPalette();
}

const ThemePalette& Palette() { return g_palette; }

void DecideTheme() { g_palette = ChoosePalette(IsHighContrastOn(), ReadAppsUseLightTheme(), ReadSystemColors()); }
