// Starting another Setup program for a hand-off or a relaunch.
#pragma once

#include <string>

// Starts the program by its full path with a clean environment, through the
// elevation prompt only when it asks for one. Does not wait for it. True when
// it was started.
bool StartSetupProgram(const std::wstring& program, const std::wstring& parameters);
