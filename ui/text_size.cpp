#include "ui/text_size.h"

#include "base/system_library.h"
#include "base/win_handle.h"

namespace {

constexpr double kDesignPoints = 9.0;

// "Make text bigger": 100 to 225 percent, 100 when not set.
DWORD TextScalePercent() {
  DWORD percent = 100;
  DWORD size = sizeof(percent);
  if (::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Accessibility", L"TextScaleFactor", RRF_RT_REG_DWORD,
                     nullptr, &percent, &size) != ERROR_SUCCESS) {
    return 100;
  }
  return percent;
}

// The message font's character height in pixels at `dpi`; 0 when unknown.
int MessageFontPixels(UINT dpi) {
  using ForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
  static const auto forDpi = SystemFunction<ForDpi>(L"user32.dll", "SystemParametersInfoForDpi");
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  const bool read = forDpi != nullptr ? forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi) != FALSE
                                      : ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  if (!read) return 0;
  const LONG height = metrics.lfMessageFont.lfHeight;
  return static_cast<int>(height < 0 ? -height : height);
}

}  // namespace

double TextFactorFor(int messageFontPixels, UINT dpi, DWORD textScalePercent) {
  const double design = kDesignPoints * dpi / 72.0;
  const double font = messageFontPixels > 0 && design > 0 ? messageFontPixels / design : 1.0;
  const DWORD percent = textScalePercent < 100 ? 100 : (textScalePercent > 225 ? 225 : textScalePercent);
  // The system may grow its message font for the text scale already, so the
  // larger of the two counts, never both.
  const double scale = percent / 100.0;
  const double larger = font > scale ? font : scale;
  return larger > 1.0 ? larger : 1.0;
}

double UserTextFactor(UINT dpi) { return TextFactorFor(MessageFontPixels(dpi), dpi, TextScalePercent()); }
