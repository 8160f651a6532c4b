// Controls drawn in the classic way, so that the colours we give them apply.
#pragma once

#include <windows.h>

void SwitchOffVisualStyle(HWND control);
