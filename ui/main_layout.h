// Geometry of the main dialog: the button row by installation state and the
// log pane's expansion, which resizes the window.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ops/install_state.h"

// Recorded whenever the dialog is laid out (at start, for another DPI or text
// size), in client pixels of the dialog. The pixel constants used with it are
// pixels at 96 DPI and the design's text size, times `pixelScale`.
struct MainLayout {
  double pixelScale = 1.0;
  RECT headerRect{};
  RECT iconRect{};
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

// The pure arithmetic of the layout; `scale` is the layout's pixelScale.
int ScaledPixels(int pixels, double scale);
int ButtonGapFor(int removeTop, int cardBottom, double scale = 1.0);
int CollapsedClientHeightFor(int expandedClientHeight, int removeTop, int buttonGap, int toggleBottom,
                             double scale = 1.0);
// Where the button row goes while the log is collapsed.
int CollapsedRowTop(const MainLayout& layout);

// The expanded log made shorter (down to a few lines) so that the expanded
// client area is at most `availableHeight`; the button row moves up with it.
void ShortenLogToFit(MainLayout& layout, int availableHeight);

struct ButtonRowPlan {
  RECT close{};
  RECT notices{};
  RECT install{};
  std::wstring installCaption;
  std::optional<RECT> remove;  // absent when the remove button is hidden
  std::wstring removeCaption;
};

// Where the bottom buttons go for a situation: close at the right edge, then
// install and remove leftwards with 12-pixel gaps (scaled), notices alone at
// the left.
ButtonRowPlan PlanButtonRow(const MainLayout& layout, int clientWidth, InstallSituation situation, int y,
                            bool useRecordedRow);

// Records MainLayout from the dialog's controls where they stand now, for
// pixel constants times `pixelScale` and an expanded window whose client
// area may be at most `availableHeight` high; hides the card and the band,
// which the dialog paints itself.
void CaptureLayout(HWND dialog, double pixelScale, int availableHeight);

// Places, captions, shows or hides and enables the bottom buttons.
void LayoutButtons(int y, bool useRecordedRow);

// Expands or collapses the log pane: resizes the window, moves the buttons and
// sets the toggle caption.
void SetLogExpanded(bool expanded);

// Moves the window so that all of it lies in its monitor's work area.
void KeepInsideWorkArea(HWND window);

// Resizes the window (keeping its top-left corner where it fits, and its
// width unless one is given) so that its client area is `height` pixels high,
// then keeps it inside the work area.
void SetClientHeight(HWND window, int height, int width = -1);

// The log pane at its recorded place when expanded, hidden otherwise.
void ShowLogPane();
