#include "ops/operation_mutex.h"

#include <sddl.h>

#include "base/win_handle.h"

namespace {

constexpr wchar_t kMutexName[] = L"Global\\Orlinth-Japanese-Setup-Operation";
// Full access for SYSTEM and Administrators; nobody else may even open it.
constexpr wchar_t kMutexSecurity[] = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)";

UniqueHandle g_mutex;
bool g_held = false;

HANDLE OperationMutex() {
  if (g_mutex) return g_mutex.get();
  UniqueLocalMemory descriptor;
  PSECURITY_DESCRIPTOR made = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kMutexSecurity, SDDL_REVISION_1, &made, nullptr)) {
    return nullptr;
  }
  descriptor.reset(made);
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), made, FALSE};
  g_mutex.reset(::CreateMutexW(&attributes, FALSE, kMutexName));
  return g_mutex.get();
}

// Waits for the mutex while letting this thread's messages through, so that
// a window of it stays drawn during a long wait.
DWORD WaitAnswering(HANDLE mutex, DWORD waitMs) {
  const ULONGLONG deadline = ::GetTickCount64() + waitMs;
  for (;;) {
    const ULONGLONG now = ::GetTickCount64();
    const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
    const DWORD woke = ::MsgWaitForMultipleObjects(1, &mutex, FALSE, left, QS_ALLINPUT);
    if (woke != WAIT_OBJECT_0 + 1) return woke;
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
}

}  // namespace

bool AcquireOperationMutex(DWORD waitMs) {
  if (g_held) return true;
  const HANDLE mutex = OperationMutex();
  // One that cannot be made or opened is held by someone this process may
  // not know about: the safe answer is "busy".
  if (mutex == nullptr) return false;
  const DWORD woke = waitMs == 0 ? ::WaitForSingleObject(mutex, 0) : WaitAnswering(mutex, waitMs);
  g_held = woke == WAIT_OBJECT_0 || woke == WAIT_ABANDONED;
  return g_held;
}

void ReleaseOperationMutex() {
  if (!g_held) return;
  ::ReleaseMutex(g_mutex.get());
  g_held = false;
}
