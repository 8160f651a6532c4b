// Starting another Setup program for a hand-off or a relaunch.
#pragma once

#include <string>

// Starts the program with "open", and once more with "runas" when that fails.
// Does not wait for it. True when either start worked.
bool StartSetupProgram(const std::wstring& program, const std::wstring& parameters);
