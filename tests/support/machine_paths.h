// Where Setup keeps machine-wide state, found independently of the program.
#pragma once

#include <string>

// ...\ProgramData\Orlinth-Japanese\setup.lock
std::wstring ExpectedSetupLockPath();

// ...\ProgramData\Orlinth-Japanese-Setup, Setup's working root.
std::wstring ExpectedWorkingRoot();

// Creates the lock file as a run of the process `processId` leaves it.
bool PlantSetupLock(unsigned long processId = 1);
