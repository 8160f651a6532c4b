#include "ops/operation_mutex.h"

#include <sddl.h>

#include "base/run_log.h"
#include "base/win_handle.h"

namespace {

constexpr wchar_t kGlobalMutexName[] = L"Global\\Orlinth-Japanese-Setup-Operation";
constexpr wchar_t kNamespaceName[] = L"Orlinth-Japanese-Setup";
constexpr wchar_t kMutexInNamespace[] = L"Orlinth-Japanese-Setup\\Operation";
// Full access for SYSTEM and Administrators; nobody else may even open it.
constexpr wchar_t kAdministratorsOnly[] = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)";

UniqueHandle g_mutex;
bool g_held = false;

// Only a process whose token holds the Administrators SID can make a
// namespace with this boundary, and only administrators and SYSTEM can open
// it, so nobody else can make the mutex first.
HANDLE InPrivateNamespace(const NamespaceCalls& calls, SECURITY_ATTRIBUTES* attributes) {
  // Kept open for the life of the process: the namespace lasts while a Setup holds it.
  static HANDLE opened = nullptr;
  if (opened == nullptr) {
    HANDLE boundary = calls.createBoundary(kNamespaceName, 0);
    if (boundary == nullptr) return nullptr;
    BYTE administrators[SECURITY_MAX_SID_SIZE] = {};
    DWORD size = sizeof(administrators);
    if (::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
        calls.addSid(&boundary, administrators)) {
      opened = calls.createNamespace(attributes, boundary, kNamespaceName);
      if (opened == nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        opened = calls.openNamespace(boundary, kNamespaceName);
      }
    }
    calls.deleteBoundary(boundary);
    if (opened == nullptr) return nullptr;
  }
  return ::CreateMutexW(attributes, FALSE, kMutexInNamespace);
}

HANDLE OperationMutex() {
  if (g_mutex) return g_mutex.get();
  UniqueLocalMemory descriptor;
  PSECURITY_DESCRIPTOR made = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdministratorsOnly, SDDL_REVISION_1, &made, nullptr)) {
    return nullptr;
  }
  descriptor.reset(made);
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), made, FALSE};
  const NamespaceCalls calls = SystemNamespaceCalls();
  if (ChooseMutexPlace(calls) == MutexPlace::PrivateNamespace) {
    g_mutex.reset(InPrivateNamespace(calls, &attributes));
  } else {
    WriteRunLog(L"이 시스템에는 개인 네임스페이스가 없어 작업 뮤텍스를 전역 이름으로 만듭니다.");
    g_mutex.reset(::CreateMutexW(&attributes, FALSE, kGlobalMutexName));
  }
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

NamespaceCalls SystemNamespaceCalls() {
  // Looked up, not imported: a system without them must still start Setup.
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  auto find = [kernel](const char* name) {
    return kernel == nullptr ? nullptr : reinterpret_cast<void*>(::GetProcAddress(kernel, name));
  };
  NamespaceCalls calls;
  calls.createBoundary = reinterpret_cast<decltype(calls.createBoundary)>(find("CreateBoundaryDescriptorW"));
  calls.addSid = reinterpret_cast<decltype(calls.addSid)>(find("AddSIDToBoundaryDescriptor"));
  calls.deleteBoundary = reinterpret_cast<decltype(calls.deleteBoundary)>(find("DeleteBoundaryDescriptor"));
  calls.createNamespace = reinterpret_cast<decltype(calls.createNamespace)>(find("CreatePrivateNamespaceW"));
  calls.openNamespace = reinterpret_cast<decltype(calls.openNamespace)>(find("OpenPrivateNamespaceW"));
  return calls;
}

MutexPlace ChooseMutexPlace(const NamespaceCalls& calls) {
  return calls.createBoundary != nullptr && calls.addSid != nullptr && calls.deleteBoundary != nullptr &&
                 calls.createNamespace != nullptr && calls.openNamespace != nullptr
             ? MutexPlace::PrivateNamespace
             : MutexPlace::GlobalName;
}

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
