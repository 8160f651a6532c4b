// What the demo drivers print and the pictures they save.
#pragma once

#include <windows.h>

#include <string>

// One line on standard output, in UTF-8, flushed at once.
void Say(const std::wstring& text);

// Lets the window paint, saves it as a BMP file and says where it went.
bool SavePicture(HWND window, const std::wstring& path);

// Says why the drive stopped; the exit code for that.
int StopWithFailure(const std::wstring& why);
