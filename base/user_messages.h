// The one place that talks to the user in a box: every message and every
// yes/no question goes through here. It owns the caption, the owner window and
// the rule that an unattended run (nobody is there to read a box) writes the
// text to the run log instead.
#pragma once

#include <windows.h>

#include <string>

// The main window once it exists (null before and after): boxes then belong
// to it.
void SetMessageOwner(HWND owner);

// Set once at start: with /quiet or /passive no box is ever shown.
void SetUnattendedMessages(bool unattended);

// Shows the text with the icon (MB_ICONERROR, MB_ICONWARNING, ...).
void ShowMessage(const std::wstring& text, UINT icon);

// Asks the question with the buttons, icon and default of `flags`
// (MB_YESNO...). True for Yes. Unattended, nobody can say yes: false.
bool AskYesNo(const std::wstring& question, UINT flags);
