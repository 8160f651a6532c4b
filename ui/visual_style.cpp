#include "ui/visual_style.h"

#include <uxtheme.h>

#include "base/system_library.h"

void SwitchOffVisualStyle(HWND control) {
  static const auto setWindowTheme = SystemFunction<decltype(&::SetWindowTheme)>(L"uxtheme.dll", "SetWindowTheme");
  // A single space names no theme class, which turns the visual style off.
  if (setWindowTheme != nullptr && control != nullptr) setWindowTheme(control, L" ", L" ");
}
