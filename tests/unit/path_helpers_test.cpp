#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "base/file_helpers.h"
#include "base/path_helpers.h"
#include "base/run_log.h"
#include "base/text_helpers.h"
#include "base/win_handle.h"
#include "support/folder_link.h"
#include "support/setup_driver.h"
#include "support/temp_folder.h"

namespace {

TEST(JoinPath, AddsOneSeparatorUnlessTheFolderEndsInOne) {
  EXPECT_EQ(JoinPath(L"", L"Setup.exe"), L"Setup.exe");
  EXPECT_EQ(JoinPath(L"C:\\x\\", L"a"), L"C:\\x\\a");
  EXPECT_EQ(JoinPath(L"C:/x/", L"a"), L"C:/x/a");
  EXPECT_EQ(JoinPath(L"C:\\x", L"a"), L"C:\\x\\a");
  EXPECT_EQ(JoinPath(L"C:\\x", L"\\a"), L"C:\\x\\\\a");
  EXPECT_EQ(JoinPath(L"C:\\x\\..", L".\\a"), L"C:\\x\\..\\.\\a");
  EXPECT_EQ(JoinPath(L"C:\\x", L""), L"C:\\x\\");
}

TEST(IsRegularFile, OnlyExistingNonDirectories) {
  TempFolder folder;
  ASSERT_TRUE(WriteFileBytes(folder.File(L"Install.ps1"), "x"));
  ASSERT_TRUE(::CreateDirectoryW(folder.File(L"Uninstall.ps1").c_str(), nullptr));
  EXPECT_TRUE(IsRegularFile(folder.File(L"Install.ps1")));
  EXPECT_FALSE(IsRegularFile(folder.File(L"Uninstall.ps1")));
  EXPECT_FALSE(IsRegularFile(folder.File(L"missing.ps1")));
  EXPECT_FALSE(IsRegularFile(folder.path()));
  EXPECT_FALSE(IsRegularFile(L""));
}

TEST(FolderOfPath, CutsAtTheLastSeparatorOfEitherKind) {
  EXPECT_EQ(FolderOfPath(L"C:\\a\\b\\Setup.exe"), L"C:\\a\\b");
  EXPECT_EQ(FolderOfPath(L"C:\\a/b/Setup.exe"), L"C:\\a/b");
  EXPECT_EQ(FolderOfPath(L"Setup.exe"), L"");
  EXPECT_EQ(FolderOfPath(L"\\Setup.exe"), L"");
}

TEST(ProgramDataFolder, IsAnExistingFolder) {
  const std::wstring folder = ProgramDataFolder();
  ASSERT_FALSE(folder.empty());
  const DWORD attributes = ::GetFileAttributesW(folder.c_str());
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Starts a copy of this test program from `folder` in its probe mode and
// returns what its GetSetupFolder() gave.
std::wstring SetupFolderSeenFrom(const std::wstring& folder, const std::wstring& resultFile) {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring copy = folder + L"\\probe.exe";
  if (!::CopyFileW(self, copy.c_str(), FALSE)) return L"<copy failed>";

  UniqueProcessInformation process;
  // Started in another folder, so that the current folder cannot pass for it.
  if (!StartProcess(copy, L"probe.exe --probe-setup-folder \"" + resultFile + L"\"", TestProgramFolder(), &process,
                    nullptr)) {
    return L"<start failed>";
  }
  ::WaitForSingleObject(process.process.get(), 60000);
  DWORD exitCode = 1;
  ::GetExitCodeProcess(process.process.get(), &exitCode);
  if (exitCode != 0) return L"<probe failed>";
  return Utf8ToWide(ReadFileBytes(resultFile));
}

TEST(GetSetupFolder, IsTheFolderTheExecutableWasStartedFrom) {
  TempFolder scratch;
  EXPECT_EQ(SetupFolderSeenFrom(scratch.path(), scratch.File(L"folder.txt")), scratch.path());
}

// Wine cannot start a program from a path of MAX_PATH or more, so the cut-off
// case is checked on what GetModuleFileNameW reports for one.
TEST(GetSetupFolder, IsEmptyWhenTheModulePathWasCutOffOrUnreadable) {
  std::wstring longPath = L"C:\\" + std::wstring(250, L'd') + L"\\Setup.exe";
  EXPECT_EQ(FolderOfModulePath(longPath.c_str(), MAX_PATH), L"");
  EXPECT_EQ(FolderOfModulePath(longPath.c_str(), MAX_PATH - 1), longPath.substr(0, 253));
  EXPECT_EQ(FolderOfModulePath(L"C:\\x\\Setup.exe", 0), L"");
  EXPECT_EQ(FolderOfModulePath(L"C:\\x\\Setup.exe", 14), L"C:\\x");
}

TEST(IsAcceptableLogPath, OnlyLogFilesInANamedFolder) {
  for (const wchar_t* path :
       {L"C:\\Windows\\Temp\\deploy.log", L"C:\\x\\Run.LOG", L"\\\\server\\share\\a.log", L"C:\\x\\run.txt"}) {
    EXPECT_TRUE(IsAcceptableLogPath(path)) << path;
  }
  for (const wchar_t* path : {L"C:\\x\\run.cmd", L"C:\\x\\.log", L"run.log", L"x\\run.log", L"C:\\x\\NUL.log",
                              L"C:\\x\\NUL .log", L"C:\\x\\CON .log", L"C:\\x\\COM\u00B9.log", L"C:\\x\\lpt\u00B3 .log",
                              L"C:\\x\\com1.txt.log", L"C:\\x\\a.txt:s.log", L"\\\\?\\C:\\x\\a.log",
                              L"\\\\.\\C:\\x\\a.log", L"//?/C:/x/a.log", L"C:\\x\\a.log\\", L""}) {
    EXPECT_FALSE(IsAcceptableLogPath(path)) << path;
  }
}

TEST(IsPlainFullPath, OnlyDriveAndSharePaths) {
  for (const wchar_t* path : {L"C:\\Users\\a b\\Downloads", L"d:", L"C:\\", L"\\\\server\\share\\release"}) {
    EXPECT_TRUE(IsPlainFullPath(path)) << path;
  }
  for (const wchar_t* path : {L"Downloads", L"\\Downloads", L"C:Downloads", L"1:\\x", L"C:/x", L"\\\\?\\C:\\x",
                              L"\\\\.\\C:\\x", L"C:\\x:stream", L""}) {
    EXPECT_FALSE(IsPlainFullPath(path)) << path;
  }
}

// A link anywhere on the way, not only at its end, is never written through.
TEST(OpenRunLog, NeverWritesThroughALinkOnThePath) {
  TempFolder inside;
  TempFolder outside;
  ASSERT_TRUE(::CreateDirectoryW(outside.File(L"sub").c_str(), nullptr));
  const FolderLink link(inside.File(L"linked"), outside.path());
  ASSERT_TRUE(link.made());
  EXPECT_FALSE(OpenRunLog(inside.File(L"linked\\sub\\run.log")));
  EXPECT_FALSE(PathExists(outside.File(L"sub\\run.log")));
  EXPECT_EQ(HoldRealFolders(inside.File(L"linked\\sub")).size(), 0u);
  EXPECT_GE(HoldRealFolders(outside.File(L"sub")).size(), 3u);
}

}  // namespace
