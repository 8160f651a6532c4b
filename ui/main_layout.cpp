#include "ui/main_layout.h"

#include "base/language_table.h"
#include "res/resource_ids.h"
#include "ui/main_window_state.h"

namespace {

MainLayout g_layout;

constexpr int kButtonSpacing = 12;
constexpr int kToggleToCard = 14;  // the collapsed card ends this far below the toggle

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

int ButtonGapFor(int removeTop, int cardBottom) {
  const int gap = removeTop - cardBottom;
  return gap < 8 ? 16 : gap;
}

int CollapsedClientHeightFor(int expandedClientHeight, int removeTop, int buttonGap, int toggleBottom) {
  const int height = expandedClientHeight - removeTop + buttonGap + toggleBottom + kToggleToCard;
  return height < 280 ? 280 : height;
}

ButtonRowPlan PlanButtonRow(const MainLayout& layout, int clientWidth, InstallSituation situation, int y,
                            bool useRecordedRow) {
  const int closeWidth = Width(layout.closeRect);
  const int closeHeight = Height(layout.closeRect);
  if (useRecordedRow) y = layout.closeRect.top;

  int left = 16;
  if (layout.toggleRect.left > 0) {
    left = layout.toggleRect.left;
  } else if (layout.cardPaintRect.left > 0) {
    left = layout.cardPaintRect.left;
  }
  int right = clientWidth - 16;
  if (!::IsRectEmpty(&layout.logRect)) {
    right = layout.logRect.right;
  } else if (!::IsRectEmpty(&layout.cardPaintRect)) {
    right = layout.cardPaintRect.right;
  }

  ButtonRowPlan plan;
  plan.close = At(right - closeWidth, y, closeWidth, closeHeight);
  const int noticesWidth = Width(layout.noticesRect) > 0 ? Width(layout.noticesRect) : 80;
  const int noticesHeight = Height(layout.noticesRect) > 0 ? Height(layout.noticesRect) : closeHeight;
  plan.notices = At(left, y, noticesWidth, noticesHeight);

  const bool targetInstalled =
      situation == InstallSituation::TargetOnly || situation == InstallSituation::TargetWithOthers;
  int installWidth = Width(layout.installRect);
  if (targetInstalled) {
    plan.installCaption = L"업데이트";
    if (installWidth < 100) installWidth = 100;
  } else {
    plan.installCaption = situation == InstallSituation::NotInstalled ? L"설치" : L"추가";
  }
  if (installWidth <= 0) installWidth = 110;
  const int buttonHeight = Height(layout.installRect) > 0 ? Height(layout.installRect) : closeHeight;
  plan.install = At(plan.close.left - kButtonSpacing - installWidth, y, installWidth, buttonHeight);

  if (targetInstalled) {
    int removeWidth = Width(layout.removeRect);
    if (situation == InstallSituation::TargetWithOthers) {
      plan.removeCaption = std::wstring(TargetLanguage().koreanName) + L" 삭제";
      if (removeWidth < 110) removeWidth = 110;
    } else {
      plan.removeCaption = L"삭제";
    }
    if (removeWidth <= 0) removeWidth = 110;
    plan.remove = At(plan.install.left - kButtonSpacing - removeWidth, y, removeWidth, buttonHeight);
  }
  return plan;
}

void CaptureLayout(HWND dialog) {
  MainLayout& layout = g_layout;
  layout.cardRect = ClientRectOf(dialog, IDC_CARD);
  layout.cardPaintRect = layout.cardRect;
  layout.logRect = ClientRectOf(dialog, IDC_LOG_PANE);
  layout.toggleRect = ClientRectOf(dialog, IDC_LOG_TOGGLE);
  layout.removeRect = ClientRectOf(dialog, IDC_REMOVE);
  layout.noticesRect = ClientRectOf(dialog, IDC_NOTICES);
  layout.closeRect = ClientRectOf(dialog, IDC_CLOSE);
  layout.installRect = ClientRectOf(dialog, IDC_INSTALL);
  layout.expandedClientHeight = ClientHeight(dialog);
  layout.buttonGap = ButtonGapFor(layout.removeRect.top, layout.cardRect.bottom);
  layout.collapsedClientHeight = CollapsedClientHeightFor(layout.expandedClientHeight, layout.removeRect.top,
                                                          layout.buttonGap, layout.toggleRect.bottom);
  ::ShowWindow(::GetDlgItem(dialog, IDC_CARD), SW_HIDE);
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

void SetClientHeight(HWND window, int height) {
  RECT outer{};
  ::GetWindowRect(window, &outer);
  const int newOuterHeight = height + (Height(outer) - ClientHeight(window));
  if (newOuterHeight == Height(outer)) return;
  ::SetWindowPos(window, nullptr, 0, 0, Width(outer), newOuterHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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
    layout.cardPaintRect.bottom = layout.toggleRect.bottom + kToggleToCard;
    rowY = layout.toggleRect.bottom + kToggleToCard + layout.buttonGap;
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
  ::SetWindowTextW(state.controls.logToggle, expanded ? L"▼  상세 로그 접기" : L"▶  상세 로그 펼치기");
  if (visible) ::SendMessageW(dialog, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(dialog, nullptr, TRUE);
  ::UpdateWindow(dialog);
}
