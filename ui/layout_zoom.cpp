#include "ui/layout_zoom.h"

#include <utility>
#include <vector>

#include "ui/main_layout.h"
#include "ui/main_window_look.h"
#include "ui/main_window_state.h"
#include "ui/text_size.h"
#include "ui/theme_resources.h"

namespace {

struct Design {
  UINT dpi = 96;
  SIZE client{};
  int collapsedHeight = 0;
  std::vector<std::pair<HWND, RECT>> controls;
};

Design g_design;
UINT g_layoutDpi = 96;

RECT ClientRectOfChild(HWND dialog, HWND child) {
  RECT rect{};
  ::GetWindowRect(child, &rect);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

UINT DpiOf(HWND window) {
  const UINT dpi = ::GetDpiForWindow(window);
  return dpi == 0 ? 96 : dpi;
}

int Rounded(double value) { return static_cast<int>(value < 0 ? value - 0.5 : value + 0.5); }

SIZE FrameOf(HWND window) {
  RECT outer{};
  RECT client{};
  ::GetWindowRect(window, &outer);
  ::GetClientRect(window, &client);
  return {(outer.right - outer.left) - client.right, (outer.bottom - outer.top) - client.bottom};
}

RECT WorkAreaOf(HWND window) {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  if (!::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) {
    return {0, 0, 1 << 15, 1 << 15};
  }
  return monitor.rcWork;
}

}  // namespace

double FittingZoom(double wanted, SIZE designClient, SIZE frame, SIZE work) {
  double zoom = wanted;
  if (designClient.cx > 0 && (designClient.cx * zoom + frame.cx) > work.cx) {
    zoom = static_cast<double>(work.cx - frame.cx) / designClient.cx;
  }
  if (designClient.cy > 0 && (designClient.cy * zoom + frame.cy) > work.cy) {
    zoom = static_cast<double>(work.cy - frame.cy) / designClient.cy;
  }
  return zoom > 0.1 ? zoom : 0.1;
}

RECT Zoomed(const RECT& rect, double zoom) {
  return {Rounded(rect.left * zoom), Rounded(rect.top * zoom), Rounded(rect.right * zoom), Rounded(rect.bottom * zoom)};
}

void RecordDesign(HWND dialog) {
  g_design = Design{};
  g_design.dpi = DpiOf(dialog);
  RECT client{};
  ::GetClientRect(dialog, &client);
  g_design.client = {client.right, client.bottom};
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    g_design.controls.emplace_back(child, ClientRectOfChild(dialog, child));
  }
  // The collapsed height the design comes to, which is what must fit.
  CaptureLayout(dialog, g_design.dpi / 96.0, client.bottom);
  g_design.collapsedHeight = CurrentLayout().collapsedClientHeight;
  g_layoutDpi = g_design.dpi;
}

void ApplyZoom(HWND dialog, UINT dpi) {
  const double text = UserTextFactor(dpi);
  const double wanted = static_cast<double>(dpi) / g_design.dpi * text;
  const SIZE frame = FrameOf(dialog);
  const RECT work = WorkAreaOf(dialog);
  const SIZE workSize = {work.right - work.left, work.bottom - work.top};
  const double zoom = FittingZoom(wanted, {g_design.client.cx, g_design.collapsedHeight}, frame, workSize);
  g_layoutDpi = dpi;

  const bool visible = ::IsWindowVisible(dialog) != FALSE;
  if (visible) ::SendMessageW(dialog, WM_SETREDRAW, FALSE, 0);
  CreateThemeFonts(dpi, text * zoom / wanted);
  SetControlFonts(dialog);
  for (const auto& [control, rect] : g_design.controls) {
    const RECT place = Zoomed(rect, zoom);
    ::SetWindowPos(control, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  }
  const RECT client = Zoomed({0, 0, g_design.client.cx, g_design.client.cy}, zoom);
  SetClientHeight(dialog, client.bottom, client.right);
  CaptureLayout(dialog, zoom * g_design.dpi / 96.0, workSize.cy - frame.cy);
  if (visible) ::SendMessageW(dialog, WM_SETREDRAW, TRUE, 0);
  SetLogExpanded(MainState().logExpanded);
}

UINT LayoutDpi() { return g_layoutDpi; }

void ZoomLikeTheMainWindow(HWND dialog) {
  const RECT work = WorkAreaOf(dialog);
  RECT client{};
  ::GetClientRect(dialog, &client);
  const double wanted = Fonts().scale * Fonts().dpi / DpiOf(dialog);
  const double zoom = FittingZoom(wanted, {client.right, client.bottom}, FrameOf(dialog),
                                  {work.right - work.left, work.bottom - work.top});
  if (zoom > 0.999 && zoom < 1.001) return;
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    const RECT place = Zoomed(ClientRectOfChild(dialog, child), zoom);
    ::SetWindowPos(child, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const RECT zoomed = Zoomed(client, zoom);
  SetClientHeight(dialog, zoomed.bottom, zoomed.right);
}
