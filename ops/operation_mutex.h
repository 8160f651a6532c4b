// One operation at a time on the machine, whatever started it (a window, a
// deployment tool, a start-up script): a mutex that only administrators and
// SYSTEM can open, in a private namespace whose boundary is the Administrators
// group, so that no other program can make it first. Held by the thread that
// asks for it, the window's, from an operation's start until its end.
#pragma once

#include <windows.h>

// The system's calls for private namespaces; null where it lacks one.
struct NamespaceCalls {
  HANDLE(WINAPI* createBoundary)(LPCWSTR, ULONG) = nullptr;
  BOOL(WINAPI* addSid)(HANDLE*, PSID) = nullptr;
  VOID(WINAPI* deleteBoundary)(HANDLE) = nullptr;
  HANDLE(WINAPI* createNamespace)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR) = nullptr;
  HANDLE(WINAPI* openNamespace)(LPVOID, LPCWSTR) = nullptr;
};
NamespaceCalls SystemNamespaceCalls();

// Where the mutex is made: in the private namespace when the system has every
// call for it; otherwise (Wine has none) under its global name as before,
// which the run log then says.
enum class MutexPlace { PrivateNamespace, GlobalName };
MutexPlace ChooseMutexPlace(const NamespaceCalls& calls);

// True when this process now holds it. While another holds it, waits up to
// `waitMs`, keeping this thread's windows answered meanwhile. A holder that
// ended without letting go counts as gone.
bool AcquireOperationMutex(DWORD waitMs);

// Lets go of it; nothing when not held.
void ReleaseOperationMutex();
