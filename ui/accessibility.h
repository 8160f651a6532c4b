// What screen readers need beyond what the standard controls tell them: the
// status and step lines as polite live regions, announced when they change,
// and the log pane's name.
#pragma once

#include <windows.h>

// Marks the lines as live regions and names the log pane, through the
// system's accessibility annotations (where the system has them; the hidden
// label before the log pane names it everywhere).
void AnnotateMainDialog(HWND statusLine, HWND stepLine, HWND logPane);

// Tells screen readers that a live region's text changed.
void AnnounceLiveChange(HWND control);
