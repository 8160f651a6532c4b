// Geometry of the main dialog: the button row by installation state and the
// log pane's expansion, which resizes the window.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ops/install_state.h"

// Recorded once at start, in client pixels of the dialog. The pixel constants
// used with it are screen pixels; the recorded rectangles already follow the
// DPI because the dialog is laid out from dialog units.
struct MainLayout {
  RECT cardRect{};
  RECT cardPaintRect{};  // the card as painted; ends below the toggle when collapsed
  RECT logRect{};
  RECT toggleRect{};
  RECT removeRect{};
  RECT noticesRect{};
  RECT closeRect{};
  RECT installRect{};
  int expandedClientHeight = 0;
  int buttonGap = 0;
  int collapsedClientHeight = 0;
};

MainLayout& CurrentLayout();

// The pure arithmetic of the layout.
int ButtonGapFor(int removeTop, int cardBottom);
int CollapsedClientHeightFor(int expandedClientHeight, int removeTop, int buttonGap, int toggleBottom);

struct ButtonRowPlan {
  RECT close{};
  RECT notices{};
  RECT install{};
  std::wstring installCaption;
  std::optional<RECT> remove;  // absent when the remove button is hidden
  std::wstring removeCaption;
};

// Where the bottom buttons go for a situation: close at the right edge, then
// install and remove leftwards with 12-pixel gaps, notices alone at the left.
ButtonRowPlan PlanButtonRow(const MainLayout& layout, int clientWidth, InstallSituation situation, int y,
                            bool useRecordedRow);

// Records MainLayout from the dialog as created and hides the card control.
void CaptureLayout(HWND dialog);

// Places, captions, shows or hides and enables the bottom buttons.
void LayoutButtons(int y, bool useRecordedRow);

// Expands or collapses the log pane: resizes the window, moves the buttons and
// sets the toggle caption.
void SetLogExpanded(bool expanded);

// Resizes the window (keeping its width and top-left corner) so that its
// client area is `height` pixels high.
void SetClientHeight(HWND window, int height);

// The log pane at its recorded place when expanded, hidden otherwise.
void ShowLogPane();
