// Version ordering, the hand-off arguments and the user's copy.
#include <windows.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/file_helpers.h"
#include "base/path_helpers.h"
#include "base/setup_file_name.h"
#include "base/text_helpers.h"
#include "base/version_compare.h"
#include "selfupdate/handoff_arguments.h"
#include "selfupdate/self_update.h"
#include "selfupdate/update_locations.h"
#include "selfupdate/user_copy_placement.h"
#include "support/folder_link.h"
#include "support/setup_driver.h"
#include "support/temp_folder.h"
#include "support/test_setting.h"

namespace {

TEST(CompareVersions, OrdersNumbersComponentWiseAndTheRestAsText) {
  const struct {
    const wchar_t* a;
    const wchar_t* b;
    int expected;
  } rows[] = {
      {L"1.0.20", L"1.0.19", 1},
      {L"1.0.19", L"1.0.19", 0},
      {L"1.0.19.0", L"1.0.19", 0},
      {L"1.0.19.1", L"1.0.19", 1},
      {L"1.1", L"1.0.19", 1},
      {L"1.0.9", L"1.0.19", -1},
      {L"01.00.019", L"1.0.19", 0},
      {L"1.0.19-beta", L"1.0.19", 1},
      {L"ver1.0.20", L"1.0.19", 1},
      {L"", L"1.0.19", -1},
      {L"1.0.19", L"1.0.19-hotfix", -1},
      {L"", L"", 0},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(CompareVersions(row.a, row.b), row.expected) << row.a << L" vs " << row.b;
    EXPECT_EQ(CompareVersions(row.b, row.a), -row.expected) << row.b << L" vs " << row.a;
  }
}

TEST(HandOffArguments, DropEveryApplySwitchAndQuoteSpacedArguments) {
  EXPECT_EQ(StripHandOffSwitches(L"/apply-self-update:\"C:\\My Files\\Setup.exe\" /APPLY-SELF-VERSION:1.0.20 "
                                 L"--apply-self-pid:42 --Apply-Self-Update:x /apply-self-versionless "
                                 L"\"/release-folder:C:\\a b\" /update"),
            L"/update");
  EXPECT_EQ(StripHandOffSwitches(L"/update \"a b\" /noselfupdate"), L"/update \"a b\" /noselfupdate");
  EXPECT_EQ(StripHandOffSwitches(L""), L"");
  EXPECT_EQ(QuoteIfSpaced(L"C:\\a b\\Setup.exe"), L"\"C:\\a b\\Setup.exe\"");
  EXPECT_EQ(QuoteIfSpaced(L"C:\\ab\\Setup.exe"), L"C:\\ab\\Setup.exe");

  // A stray pid switch from the user is not passed on; "/update" is.
  // The release folder is handed on once, as this Setup found it, never as the user wrote it.
  EXPECT_EQ(BuildHandOffParameters(L"C:\\Down loads\\Setup.exe", L"1.0.20", 77, L"C:\\Down loads",
                                   L"/apply-self-pid:5 /release-folder:C:\\x /update"),
            L"/apply-self-update:\"C:\\Down loads\\Setup.exe\" /apply-self-version:1.0.20 /apply-self-pid:77 "
            L"/noselfupdate /release-folder:\"C:\\Down loads\" /update");
  EXPECT_EQ(BuildHandOffParameters(L"C:\\d\\Setup.exe", L"1.0.20", 1, L"", L""),
            L"/apply-self-update:C:\\d\\Setup.exe /apply-self-version:1.0.20 /apply-self-pid:1 /noselfupdate");

  EXPECT_EQ(BuildRelaunchArguments(L"/apply-self-update:x /noselfupdate /update", L""), L"/noselfupdate /update");
  EXPECT_EQ(BuildRelaunchArguments(L"/update /release-folder:C:\\x", L"C:\\r"),
            L"/update /noselfupdate /release-folder:C:\\r");
  EXPECT_EQ(BuildRelaunchArguments(L"/apply-self-update:x", L""), L"/noselfupdate");

  EXPECT_EQ(CleanHandOffPath(L"\":\"C:\\d\\Setup.exe\"\""), L"C:\\d\\Setup.exe");
  EXPECT_EQ(CleanHandOffPath(L":C:\\d\\Setup.exe"), L"C:\\d\\Setup.exe");
  EXPECT_EQ(CleanHandOffPath(L"\"\":"), L"");
  EXPECT_EQ(VersionedSetupName(L"1.0.20"), L"OrlinthSetup-Japanese-1.0.20.exe");

  for (const wchar_t* name :
       {L"Setup.exe", L"SETUP.EXE", L"OrlinthSetup-Japanese-1.0.19.exe", L"orlinth-setup-2.EXE"}) {
    EXPECT_TRUE(IsSetupFileName(name)) << name;
  }
  for (const wchar_t* name : {L"victim.sys", L"Setup.exe.sys", L"MySetup.exe", L"OrlinthSetup-Japanese.dll", L""}) {
    EXPECT_FALSE(IsSetupFileName(name)) << name;
  }
}

// Once its folder is held, the new Setup goes there and the old name goes
// from there, even when a link earlier in the path is switched meanwhile.
TEST(PlaceInHeldFolder, NeverWritesOutsideTheHeldFolder) {
  TempFolder base;
  TempFolder first;
  TempFolder second;
  for (const TempFolder* folder : {&first, &second}) {
    ASSERT_TRUE(::CreateDirectoryW(folder->File(L"sub").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(folder->File(L"sub\\OrlinthSetup-1.0.19.exe"), "old"));
  }
  ASSERT_TRUE(WriteFileBytes(second.File(L"sub\\Setup.exe"), "theirs"));
  ASSERT_TRUE(WriteFileBytes(base.File(L"new.exe"), "new Setup"));
  const UniqueHandle image(
      ::CreateFileW(base.File(L"new.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  auto link = std::make_unique<FolderLink>(base.File(L"link"), first.path());
  ASSERT_TRUE(link->made());
  const UniqueHandle held = OpenRealFolder(base.File(L"link\\sub"), FILE_LIST_DIRECTORY | FILE_TRAVERSE);
  ASSERT_TRUE(held);
  link.reset();  // switched: the same path now leads to the second folder
  link = std::make_unique<FolderLink>(base.File(L"link"), second.path());
  ASSERT_TRUE(link->made());
  EXPECT_TRUE(PlaceInHeldFolder(image.get(), held.get(), L"OrlinthSetup-1.0.19.exe", L"Setup.exe", 1000));
  EXPECT_EQ(ReadFileBytes(first.File(L"sub\\Setup.exe")), "new Setup");
  EXPECT_FALSE(PathExists(first.File(L"sub\\OrlinthSetup-1.0.19.exe")));
  EXPECT_EQ(ReadFileBytes(second.File(L"sub\\Setup.exe")), "theirs");
  EXPECT_EQ(ReadFileBytes(second.File(L"sub\\OrlinthSetup-1.0.19.exe")), "old");
}

}  // namespace
