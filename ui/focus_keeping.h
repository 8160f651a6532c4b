// The keyboard's place in the main dialog: never on a control that is about
// to be disabled, and Enter on the main action of the moment.
#pragma once

#include <windows.h>

#include <initializer_list>

// When the focus is on one of `leaving`, moves it to the next control in Tab
// (and screen) order that is enabled, visible and not among them.
void MoveFocusOffControls(HWND dialog, std::initializer_list<HWND> leaving);

// The dialog's default button: install or update while idle, the cancel
// button while a download can be stopped, none otherwise.
void UpdateDefaultButton();
