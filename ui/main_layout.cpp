#include "ui/main_layout.h"

#include "base/language_table.h"
#include "res/resource_ids.h"
#include "ui/main_window_state.h"

namespace {

MainLayout g_layout;

constexpr int kButtonSpacing = 12;
constexpr int kToggleToCard = 14;  // the collapsed card ends this far below the toggle
constexpr int kShortestLog = 60;   // a few lines, at the design's size

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }
RECT At(int x, int y, int width, int height) { return RECT{x, y, x + width, y + height}; }

RECT ClientRectOf(HWND dialog, int id) {
  RECT rect{};
  HWND control = ::GetDlgItem(dialog, id);
  if (control == nullptr) return rect;
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int ClientHeight(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  return client.bottom;
}

void PlaceButton(HWND button, const RECT& place) {
  ::SetWindowPos(button, nullptr, place.left, place.top, Width(place), Height(place),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void Repaint(HWND control) { ::InvalidateRect(control, nullptr, FALSE); }

}  // namespace

MainLayout& CurrentLayout() { return g_layout; }

int ScaledPixels(int pixels, double scale) { return static_cast<int>(pixels * scale + 0.5); }

int ButtonGapFor(int removeTop, int cardBottom, double scale) {
  const int gap = removeTop - cardBottom;
  return gap < ScaledPixels(8, scale) ? ScaledPixels(16, scale) : gap;
}

int CollapsedClientHeightFor(int expandedClientHeight, int removeTop, int buttonGap, int toggleBottom, double scale) {
  const int height = expandedClientHeight - removeTop + buttonGap + toggleBottom + ScaledPixels(kToggleToCard, scale);
  const int lowest = ScaledPixels(280, scale);
  return height < lowest ? lowest : height;
}

int CollapsedRowTop(const MainLayout& layout) {
  return layout.toggleRect.bottom + ScaledPixels(kToggleToCard, layout.pixelScale) + layout.buttonGap;
}

void ShortenLogToFit(MainLayout& layout, int availableHeight) {
  const int over = layout.expandedClientHeight - availableHeight;
  const int room = Height(layout.logRect) - ScaledPixels(kShortestLog, layout.pixelScale);
  const int shorter = over < room ? over : room;
  if (shorter <= 0) return;
  for (RECT* moved : {&layout.removeRect, &layout.noticesRect, &layout.closeRect, &layout.installRect}) {
    ::OffsetRect(moved, 0, -shorter);
  }
  layout.logRect.bottom -= shorter;
  layout.cardRect.bottom -= shorter;
  layout.cardPaintRect = layout.cardRect;
  layout.expandedClientHeight -= shorter;
}

ButtonRowPlan PlanButtonRow(const MainLayout& layout, int clientWidth, InstallSituation situation, int y,
                            bool useRecordedRow) {
  const auto scaled = [&layout](int pixels) { return ScaledPixels(pixels, layout.pixelScale); };
  const int spacing = scaled(kButtonSpacing);
  const int closeWidth = Width(layout.closeRect);
  const int closeHeight = Height(layout.closeRect);
  if (useRecordedRow) y = layout.closeRect.top;

  int left = scaled(16);
  if (layout.toggleRect.left > 0) {
    left = layout.toggleRect.left;
  } else if (layout.cardPaintRect.left > 0) {
    left = layout.cardPaintRect.left;
  }
  int right = clientWidth - scaled(16);
  if (!::IsRectEmpty(&layout.logRect)) {
    right = layout.logRect.right;
  } else if (!::IsRectEmpty(&layout.cardPaintRect)) {
    right = layout.cardPaintRect.right;
  }

  ButtonRowPlan plan;
  plan.close = At(right - closeWidth, y, closeWidth, closeHeight);
  const int noticesWidth = Width(layout.noticesRect) > 0 ? Width(layout.noticesRect) : scaled(80);
  const int noticesHeight = Height(layout.noticesRect) > 0 ? Height(layout.noticesRect) : closeHeight;
  plan.notices = At(left, y, noticesWidth, noticesHeight);

  const bool targetInstalled =
      situation == InstallSituation::TargetOnly || situation == InstallSituation::TargetWithOthers;
  int installWidth = Width(layout.installRect);
  if (targetInstalled) {
    plan.installCaption = L"업데이트(&U)";
    if (installWidth < scaled(100)) installWidth = scaled(100);
  } else {
    plan.installCaption = situation == InstallSituation::NotInstalled ? L"설치(&I)" : L"추가(&A)";
  }
  if (installWidth <= 0) installWidth = scaled(110);
  const int buttonHeight = Height(layout.installRect) > 0 ? Height(layout.installRect) : closeHeight;
  plan.install = At(plan.close.left - spacing - installWidth, y, installWidth, buttonHeight);

  if (targetInstalled) {
    int removeWidth = Width(layout.removeRect);
    if (situation == InstallSituation::TargetWithOthers) {
      plan.removeCaption = std::wstring(TargetLanguage().koreanName) + L" 삭제(&R)";
      if (removeWidth < scaled(110)) removeWidth = scaled(110);
    } else {
      plan.removeCaption = L"삭제(&R)";
    }
    if (removeWidth <= 0) removeWidth = scaled(110);
    plan.remove = At(plan.install.left - spacing - removeWidth, y, removeWidth, buttonHeight);
  }
  return plan;
}

void CaptureLayout(HWND dialog, double pixelScale, int availableHeight) {
  MainLayout& layout = g_layout;
  layout.pixelScale = pixelScale;
  layout.headerRect = ClientRectOf(dialog, IDC_HEADER_BAND);
  layout.iconRect = ClientRectOf(dialog, IDC_HEADER_ICON);
  layout.cardRect = ClientRectOf(dialog, IDC_CARD);
  layout.cardPaintRect = layout.cardRect;
  layout.logRect = ClientRectOf(dialog, IDC_LOG_PANE);
  layout.toggleRect = ClientRectOf(dialog, IDC_LOG_TOGGLE);
  layout.removeRect = ClientRectOf(dialog, IDC_REMOVE);
  layout.noticesRect = ClientRectOf(dialog, IDC_NOTICES);
  layout.closeRect = ClientRectOf(dialog, IDC_CLOSE);
  layout.installRect = ClientRectOf(dialog, IDC_INSTALL);
  layout.expandedClientHeight = ClientHeight(dialog);
  layout.buttonGap = ButtonGapFor(layout.removeRect.top, layout.cardRect.bottom, pixelScale);
  layout.collapsedClientHeight = CollapsedClientHeightFor(layout.expandedClientHeight, layout.removeRect.top,
                                                          layout.buttonGap, layout.toggleRect.bottom, pixelScale);
  ShortenLogToFit(layout, availableHeight);
  // Painted by the dialog itself: decoration, not controls.
  for (int id : {IDC_CARD, IDC_HEADER_BAND, IDC_HEADER_ICON}) ::ShowWindow(::GetDlgItem(dialog, id), SW_HIDE);
}

void LayoutButtons(int y, bool useRecordedRow) {
  const MainWindowState& state = MainState();
  const MainWindowControls& controls = state.controls;
  HWND dialog = state.dialog;
  if (controls.close == nullptr || dialog == nullptr) return;

  RECT client{};
  ::GetClientRect(dialog, &client);
  const ButtonRowPlan plan =
      PlanButtonRow(g_layout, client.right, SituationOf(DetectInstallState()), y, useRecordedRow);

  PlaceButton(controls.close, plan.close);
  if (controls.notices != nullptr) {
    PlaceButton(controls.notices, plan.notices);
    Repaint(controls.notices);
  }
  if (controls.install != nullptr) {
    ::SetWindowTextW(controls.install, plan.installCaption.c_str());
    PlaceButton(controls.install, plan.install);
    ::EnableWindow(controls.install, state.busy ? FALSE : TRUE);
    Repaint(controls.install);
  }
  if (controls.remove == nullptr) return;
  if (!plan.remove) {
    ::ShowWindow(controls.remove, SW_HIDE);
    return;
  }
  ::SetWindowTextW(controls.remove, plan.removeCaption.c_str());
  PlaceButton(controls.remove, *plan.remove);
  ::EnableWindow(controls.remove, state.busy ? FALSE : TRUE);
  Repaint(controls.remove);
}

void KeepInsideWorkArea(HWND window) {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  if (!::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  RECT outer{};
  ::GetWindowRect(window, &outer);
  int x = outer.left;
  int y = outer.top;
  if (outer.right > work.right) x -= outer.right - work.right;
  if (outer.bottom > work.bottom) y -= outer.bottom - work.bottom;
  if (x < work.left) x = work.left;
  if (y < work.top) y = work.top;
  if (x != outer.left || y != outer.top) {
    ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void SetClientHeight(HWND window, int height, int width) {
  RECT outer{};
  RECT client{};
  ::GetWindowRect(window, &outer);
  ::GetClientRect(window, &client);
  const int newOuterHeight = height + (Height(outer) - client.bottom);
  const int newOuterWidth = width < 0 ? Width(outer) : width + (Width(outer) - client.right);
  if (newOuterHeight == Height(outer) && newOuterWidth == Width(outer)) return;
  ::SetWindowPos(window, nullptr, 0, 0, newOuterWidth, newOuterHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  KeepInsideWorkArea(window);
}

void ShowLogPane() {
  const MainWindowState& state = MainState();
  HWND log = state.controls.logPane;
  if (log == nullptr) return;
  if (!state.logExpanded) {
    ::ShowWindow(log, SW_HIDE);
    return;
  }
  const RECT& place = g_layout.logRect;
  ::SetWindowPos(log, nullptr, place.left, place.top, Width(place), Height(place),
                 SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER);
}

void SetLogExpanded(bool expanded) {
  MainWindowState& state = MainState();
  HWND dialog = state.dialog;
  if (dialog == nullptr || state.controls.logPane == nullptr || state.controls.logToggle == nullptr) return;

  MainLayout& layout = g_layout;
  state.logExpanded = expanded;
  layout.cardPaintRect = layout.cardRect;
  ::ShowWindow(state.controls.card, SW_HIDE);

  int rowY = layout.removeRect.top;
  int targetHeight = layout.expandedClientHeight;
  if (!expanded) {
    layout.cardPaintRect.bottom = layout.toggleRect.bottom + ScaledPixels(kToggleToCard, layout.pixelScale);
    rowY = CollapsedRowTop(layout);
    targetHeight = layout.collapsedClientHeight;
  }

  // One repaint for the whole change; the window grows before the controls
  // move down and shrinks only after they have moved up. Turning redrawing
  // back on also makes a window visible, so a hidden one is left alone.
  const bool visible = ::IsWindowVisible(dialog) != FALSE;
  if (visible) ::SendMessageW(dialog, WM_SETREDRAW, FALSE, 0);
  if (expanded) {
    SetClientHeight(dialog, targetHeight);
    LayoutButtons(rowY, true);
    ShowLogPane();
  } else {
    ShowLogPane();
    LayoutButtons(rowY, false);
    SetClientHeight(dialog, targetHeight);
  }
  ::SetWindowTextW(state.controls.logToggle, expanded ? L"▼  상세 로그 접기(&D)" : L"▶  상세 로그 펼치기(&D)");
  if (visible) ::SendMessageW(dialog, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(dialog, nullptr, TRUE);
  ::UpdateWindow(dialog);
}
