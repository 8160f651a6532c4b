#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "ops/operation_mutex.h"
#include "ops/setup_lock.h"
#include "support/folder_link.h"
#include "support/machine_paths.h"
#include "support/product_state.h"
#include "support/temp_folder.h"

namespace {

// The mutex goes into the private namespace only when every call for it is
// there; this Wine has none of them, and the mutex then still works.
TEST(OperationMutex, TakesThePrivateNamespaceOnlyWithEveryCall) {
  NamespaceCalls all;
  all.createBoundary = [](LPCWSTR, ULONG) -> HANDLE { return nullptr; };
  all.addSid = [](HANDLE*, PSID) -> BOOL { return FALSE; };
  all.deleteBoundary = [](HANDLE) {};
  all.createNamespace = [](LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR) -> HANDLE { return nullptr; };
  all.openNamespace = [](LPVOID, LPCWSTR) -> HANDLE { return nullptr; };
  EXPECT_EQ(ChooseMutexPlace(all), MutexPlace::PrivateNamespace);
  for (int missing = 0; missing < 5; ++missing) {
    NamespaceCalls some = all;
    if (missing == 0) some.createBoundary = nullptr;
    if (missing == 1) some.addSid = nullptr;
    if (missing == 2) some.deleteBoundary = nullptr;
    if (missing == 3) some.createNamespace = nullptr;
    if (missing == 4) some.openNamespace = nullptr;
    EXPECT_EQ(ChooseMutexPlace(some), MutexPlace::GlobalName) << missing;
  }
  EXPECT_EQ(ChooseMutexPlace(SystemNamespaceCalls()), MutexPlace::GlobalName);
  ASSERT_TRUE(AcquireOperationMutex(0));
  ReleaseOperationMutex();
}

TEST(SetupLock, HoldsTheProcessIdAndIsDeletedAgain) {
  DeleteSetupLock();
  ASSERT_TRUE(WriteSetupLock());
  EXPECT_EQ(ReadFileBytes(ExpectedSetupLockPath()), std::to_string(::GetCurrentProcessId()) + "\n");
  // Written again over an existing file, not appended.
  ASSERT_TRUE(WriteSetupLock());
  EXPECT_EQ(ReadFileBytes(ExpectedSetupLockPath()), std::to_string(::GetCurrentProcessId()) + "\n");
  DeleteSetupLock();
  EXPECT_FALSE(PathExists(ExpectedSetupLockPath()));
  DeleteSetupLock();  // deleting a missing lock is harmless
}

// Any user may make ProgramData\Orlinth-Japanese, as a link to anywhere.
TEST(SetupLock, IsNeitherWrittenNorDeletedThroughALinkedDataFolder) {
  CleanProductState clean;
  TempFolder outside;
  const std::wstring lockPath = ExpectedSetupLockPath();
  FolderLink link(lockPath.substr(0, lockPath.rfind(L'\\')), outside.path());
  ASSERT_TRUE(link.made());
  EXPECT_FALSE(WriteSetupLock());
  EXPECT_FALSE(PathExists(outside.File(L"setup.lock")));
  ASSERT_TRUE(WriteFileBytes(outside.File(L"setup.lock"), "1\n"));
  DeleteSetupLock();
  EXPECT_TRUE(PathExists(outside.File(L"setup.lock")));
}

}  // namespace
