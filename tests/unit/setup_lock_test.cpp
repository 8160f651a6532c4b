#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "ops/setup_lock.h"
#include "support/folder_link.h"
#include "support/machine_paths.h"
#include "support/product_state.h"
#include "support/temp_folder.h"

namespace {

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
