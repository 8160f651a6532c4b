#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ops/setup_lock.h"
#include "support/machine_paths.h"
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

}  // namespace
