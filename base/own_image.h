// Setup's own file, opened once at start without write or delete sharing and
// held until the process ends: nobody can change, rename or delete it while
// Setup reads its payload or copies it into Program Files.
#pragma once

#include <windows.h>

// Opens the running executable; later calls keep the first handle. False when
// it cannot be opened (somebody holds it for writing, or its path is too long).
bool HoldOwnImage();

// The held handle, or null when HoldOwnImage has not succeeded.
HANDLE OwnImage();

// Lets go of it, for Setup to move its own file away at the very end of a
// removal; OwnImage() is null afterwards.
void ReleaseOwnImage();
