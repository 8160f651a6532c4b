// One operation at a time on the machine, whatever started it (a window, a
// deployment tool, a start-up script): a mutex in the global namespace that
// only administrators and SYSTEM can open. Held by the thread that asks for
// it, the window's, from an operation's start until its end.
#pragma once

#include <windows.h>

// True when this process now holds it. While another holds it, waits up to
// `waitMs`, keeping this thread's windows answered meanwhile. A holder that
// ended without letting go counts as gone.
bool AcquireOperationMutex(DWORD waitMs);

// Lets go of it; nothing when not held.
void ReleaseOperationMutex();
