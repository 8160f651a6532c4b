// The main dialog at any DPI and text size: what the dialog manager made of
// the template is recorded once, and every later layout is that design zoomed
// (DPI against the design's, times the user's text size), shrunk where it
// must be so that the window fits the work area of its monitor.
#pragma once

#include <windows.h>

// The zoom to use: `wanted`, or less when the design's client area (at zoom
// 1) plus the window frame would not fit the work area.
double FittingZoom(double wanted, SIZE designClient, SIZE frame, SIZE work);

// The rectangle with every edge times `zoom`, rounded.
RECT Zoomed(const RECT& rect, double zoom);

// Records every control and the client area as they are now. Called once, as
// the dialog starts, before anything is moved.
void RecordDesign(HWND dialog);

// Lays the dialog out for `dpi`: fonts, every control, the window's size and
// the recorded MainLayout, within the work area.
void ApplyZoom(HWND dialog, UINT dpi);

// The DPI the dialog was last laid out for.
UINT LayoutDpi();

// A dialog of Setup's just created (the notices), zoomed once as the main
// window is: its controls and client area grown for the theme fonts' DPI and
// text size, within the work area.
void ZoomLikeTheMainWindow(HWND dialog);
