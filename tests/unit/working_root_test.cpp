// The administrators-only working root: who may change a folder, the check
// and rebuild, and deleting trees without following links.
#include <windows.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include <string>

#include "base/folder_removal.h"
#include "base/folder_security.h"
#include "base/folder_takeback.h"
#include "base/win_handle.h"
#include "base/working_root.h"
#include "support/folder_link.h"
#include "support/temp_folder.h"

namespace {

bool AdminOnly(const wchar_t* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  EXPECT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr))
      << sddl;
  UniqueLocalMemory owned(descriptor);
  return IsAdminOnlyDescriptor(descriptor);
}

TEST(IsAdminOnlyDescriptor, OnlySystemAndAdministratorsMayChangeTheFolder) {
  EXPECT_TRUE(AdminOnly(kAdminOnlyFolderSddl));
  EXPECT_TRUE(AdminOnly(L"O:SYD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)"));
  EXPECT_TRUE(AdminOnly(L"O:BAD:(A;;FA;;;BA)(D;;FA;;;WD)(A;;0x1200a9;;;AU)"));  // deny and read grant nothing
  // Another owner may always rewrite the DACL.
  EXPECT_FALSE(AdminOnly(L"O:BUD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)"));
  EXPECT_FALSE(AdminOnly(L"O:S-1-5-21-1-2-3-1001D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)"));
  // Any right to add, change or delete for somebody else.
  EXPECT_FALSE(AdminOnly(L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;BU)"));
  EXPECT_FALSE(AdminOnly(L"O:BAD:P(A;OICI;FA;;;BA)(A;;0x4;;;AU)"));                  // create folders
  EXPECT_FALSE(AdminOnly(L"O:BAD:P(A;OICI;FA;;;BA)(A;OICIIO;GA;;;CO)"));             // creator owner, inherited
  EXPECT_FALSE(AdminOnly(L"O:BAD:P(A;OICI;FA;;;BA)(A;;WD;;;S-1-5-21-1-2-3-1001)"));  // write DACL

  // No DACL at all lets everybody do everything.
  SECURITY_DESCRIPTOR open = {};
  BYTE administrators[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof(administrators);
  ASSERT_TRUE(::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size));
  ASSERT_TRUE(::InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION));
  ASSERT_TRUE(::SetSecurityDescriptorOwner(&open, administrators, FALSE));
  ASSERT_TRUE(::SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE));
  EXPECT_FALSE(IsAdminOnlyDescriptor(&open));
}

TEST(IsInsideWorkingRoot, OnlyPathsBelowTheRootItself) {
  const std::wstring root = WorkingRootPath();
  ASSERT_FALSE(root.empty());
  EXPECT_TRUE(IsInsideWorkingRoot(root + L"\\setup-update\\OrlinthSetup-update.exe"));
  EXPECT_TRUE(IsInsideWorkingRoot(L"c:\\programdata\\orlinth-japanese-setup\\x"));
  EXPECT_FALSE(IsInsideWorkingRoot(root));
  EXPECT_FALSE(IsInsideWorkingRoot(root + L"\\"));
  EXPECT_FALSE(IsInsideWorkingRoot(root + L"X\\setup-update\\a.exe"));
  EXPECT_FALSE(IsInsideWorkingRoot(root + L"\\..\\Orlinth-Japanese\\a.exe"));
  EXPECT_FALSE(IsInsideWorkingRoot(root + L"\\setup-update\\.."));
}

class TrustedFolderTest : public testing::Test {
 protected:
  TempFolder scratch_;
  std::wstring folder_ = scratch_.File(L"root");
  std::wstring outside_ = scratch_.File(L"outside");
  int judged_ = 0;

  // A folder with a subfolder, a file and a read-only file, and a folder
  // outside it with a file to keep.
  void MakeTree() {
    ASSERT_TRUE(::CreateDirectoryW(outside_.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(outside_ + L"\\keep.txt", "keep"));
    ASSERT_TRUE(::CreateDirectoryW(folder_.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((folder_ + L"\\sub").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(folder_ + L"\\sub\\file.txt", "x"));
    ASSERT_TRUE(WriteFileBytes(folder_ + L"\\read-only.txt", "x"));
    ASSERT_TRUE(::SetFileAttributesW((folder_ + L"\\read-only.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  }
};

TEST_F(TrustedFolderTest, ATrustedFolderIsKeptAndAnUntrustedOneMadeAgain) {
  ASSERT_TRUE(::CreateDirectoryW(folder_.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(folder_ + L"\\cached.txt", "x"));
  EXPECT_TRUE(PrepareTrustedFolder(folder_, [&](HANDLE) { return ++judged_ > 0; }));
  EXPECT_TRUE(PathExists(folder_ + L"\\cached.txt"));

  // Distrusted once: emptied, made again and judged afresh.
  judged_ = 0;
  EXPECT_TRUE(PrepareTrustedFolder(folder_, [&](HANDLE) { return ++judged_ > 1; }));
  EXPECT_EQ(judged_, 2);
  EXPECT_FALSE(PathExists(folder_ + L"\\cached.txt"));
  EXPECT_TRUE(PathExists(folder_));

  // A file in the folder's place is replaced by a folder.
  RemoveTree(folder_);
  ASSERT_TRUE(WriteFileBytes(folder_, "planted"));
  EXPECT_TRUE(PrepareTrustedFolder(folder_, [](HANDLE) { return true; }));
  EXPECT_EQ(::GetFileAttributesW(folder_.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

TEST_F(TrustedFolderTest, ALinkIsNeverTrustedNorFollowed) {
  ASSERT_TRUE(::CreateDirectoryW(outside_.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(outside_ + L"\\keep.txt", "keep"));
  FolderLink link(folder_, outside_);
  ASSERT_TRUE(link.made());
  const bool ready = PrepareTrustedFolder(folder_, [&](HANDLE) { return ++judged_ > 0; });
  // Wine cannot delete the link, so here it stays and nothing is ready; where
  // it can go, a real folder takes its place.
  EXPECT_FALSE(ready && IsLinkPath(folder_));
  EXPECT_EQ(ReadFileBytes(outside_ + L"\\keep.txt"), "keep");
}

TEST_F(TrustedFolderTest, RemovingATreeLeavesWhatItsLinksPointAt) {
  MakeTree();
  {
    FolderLink link(folder_ + L"\\sub\\link", outside_);
    ASSERT_TRUE(link.made());
    RemoveFolderTree(folder_);
    EXPECT_EQ(ReadFileBytes(outside_ + L"\\keep.txt"), "keep");
    EXPECT_FALSE(PathExists(folder_ + L"\\sub\\file.txt"));
    EXPECT_FALSE(PathExists(folder_ + L"\\read-only.txt"));
  }
  // Without the link (which Wine cannot delete) the whole tree goes.
  EXPECT_TRUE(RemoveFolderTree(folder_));
  EXPECT_FALSE(PathExists(folder_));
  EXPECT_TRUE(RemoveFolderTree(folder_));  // nothing there is fine
}

// Wine keeps no owners or DACLs, so the shut-out case itself cannot be made
// here; what can be seen is that taking back removes a tree, links left alone.
TEST_F(TrustedFolderTest, TakingBackRemovesTheTreeButNotWhatALinkPointsAt) {
  MakeTree();
  {
    FolderLink link(folder_ + L"\\sub\\link", outside_);
    ASSERT_TRUE(link.made());
    TakeBackAndRemoveFolder(folder_);
    EXPECT_EQ(ReadFileBytes(outside_ + L"\\keep.txt"), "keep");
    EXPECT_FALSE(PathExists(folder_ + L"\\read-only.txt"));
  }
  EXPECT_TRUE(TakeBackAndRemoveFolder(folder_));
  EXPECT_FALSE(PathExists(folder_));
}

}  // namespace
