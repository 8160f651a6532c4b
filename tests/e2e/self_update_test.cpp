// Self-update through the real program: the offer at start, the hand-over to
// the downloaded Setup, and the replacement of the old file.
#include <windows.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "base/path_helpers.h"
#include "base/setup_version.h"
#include "base/text_helpers.h"
#include "base/win_handle.h"
#include "build_config.h"
#include "net/sha256_verify.h"
#include "res/resource_ids.h"
#include "support/folder_link.h"
#include "support/machine_paths.h"
#include "support/product_state.h"
#include "support/release_folder.h"
#include "support/setup_driver.h"
#include "support/temp_folder.h"
#include "support/test_server.h"
#include "support/test_setting.h"

namespace {

const std::wstring kNextVersion = SETUP_NEXT_VERSION;
constexpr wchar_t kMainCaption[] = L"Orlinth Setup (일본어)";

std::wstring UpdateFolder() { return ExpectedWorkingRoot() + L"\\setup-update"; }

std::string ReplaceLog() { return ReadFileBytes(UpdateFolder() + L"\\replace-setup.log"); }

std::wstring VersionedName(const std::wstring& version) { return L"OrlinthSetup-Japanese-" + version + L".exe"; }

// The copy in the working root that the new Setup runs as.
std::wstring LocalCopy() { return ExpectedWorkingRoot() + L"\\" + VersionedName(kNextVersion); }

// How many files of the temporary kind the folder of `path` holds.
size_t PartialFilesBeside(const std::wstring& path) {
  WIN32_FIND_DATAW found = {};
  UniqueFindHandle search(::FindFirstFileW((FolderOfPath(path) + L"\\*").c_str(), &found));
  size_t count = 0;
  for (bool more = static_cast<bool>(search); more; more = ::FindNextFileW(search.get(), &found) != FALSE) {
    if (std::wstring_view(found.cFileName).ends_with(L".partial")) ++count;
  }
  return count;
}

// Each text must occur after the one before it.
void ExpectInOrder(const std::string& text, std::initializer_list<std::wstring> parts) {
  size_t from = 0;
  for (const std::wstring& part : parts) {
    const size_t at = text.find(WideToUtf8(part), from);
    ASSERT_NE(at, std::string::npos) << "missing after offset " << from << ": " << WideToUtf8(part) << "\n" << text;
    from = at + 1;
  }
}

class SelfUpdateTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(InstallPowerShellStandIn()); }
  void SetUp() override {
    ASSERT_FALSE(TestServerRoot().empty()) << "the test release server is not running";
    RemoveTree(UpdateFolder());
    for (const std::wstring& version : {std::wstring(kSetupVersion), kNextVersion}) {
      ::DeleteFileW((ExpectedWorkingRoot() + L"\\" + VersionedName(version)).c_str());
    }
    next_ = ReadFileBytes(TestProgramFolder() + L"\\next\\Setup.exe");
    ASSERT_FALSE(next_.empty());
  }
  void TearDown() override { ::DeleteFileW((TestServerRoot() + L"\\appLatest").c_str()); }

  // Publishes the next build as Setup `version`, with its real digest unless
  // `digest` is given. The package keys only make the answer a complete one.
  void Publish(const std::wstring& version, const std::wstring& digest = L"") {
    const std::wstring file = TestServerRoot() + L"\\next-setup.exe";
    ASSERT_TRUE(WriteFileBytes(file, next_));
    std::wstring real;
    std::wstring error;
    ASSERT_TRUE(HashFileSha256(file, &real, &error));
    const std::string base = WideToUtf8(kReleaseBaseUrl);
    ASSERT_TRUE(PublishReleaseAnswer(ReleaseAnswer({{"setupVersion", WideToUtf8(version)},
                                                    {"setupJaUrl", base + "/next-setup.exe"},
                                                    {"setupJaSha256", WideToUtf8(digest.empty() ? real : digest)},
                                                    {"packageJaVersion", "2.4.0"},
                                                    {"packageJaUrl", base + "/no-package.zip"},
                                                    {"packageJaSha256", std::string(64, '0')}})));
  }

  // This build's Setup under `name` in an otherwise empty folder.
  std::wstring PlaceSetup(const std::wstring& name) {
    const std::wstring path = folder_.File(name);
    EXPECT_TRUE(::CopyFileW(BuiltSetupExe().c_str(), path.c_str(), FALSE));
    return path;
  }

  // Starts the old Setup, says Yes to the offer and expects it to hand over.
  void AcceptOffer(const std::wstring& program, const std::wstring& arguments) {
    SetupProcess old;
    std::wstring error;
    ASSERT_TRUE(old.StartToMainDialog(program, arguments, &error)) << error.c_str();
    const auto offer = old.WaitForMessageBox();
    ASSERT_TRUE(offer.has_value());
    old.Answer(*offer, IDYES);
    EXPECT_EQ(old.WaitForExit(30000), std::optional<DWORD>(0));
  }

  CleanProductState clean_;  // the new Setup refreshes the installed copy
  std::string next_;
  TempFolder folder_;
};

TEST_F(SelfUpdateTest, NothingIsOfferedUnlessTheServerHasANewerSetup) {
  for (const std::wstring& version : {std::wstring(kSetupVersion), std::wstring(L"1.0.18")}) {
    Publish(version);
    const size_t asked = TestServerRequests("/appLatest");
    const std::wstring log = folder_.File(L"run-" + version + L".log");
    SetupProcess setup;
    std::wstring error;
    ASSERT_TRUE(setup.StartToMainDialog(PlaceSetup(L"Setup.exe"), L"/log:" + log, &error)) << error.c_str();
    // The window comes first; the check's verdict is logged once the server has answered.
    const std::string verdict = WideToUtf8(L"새 Setup 없음: 서버 " + version);
    EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(log).find(verdict) != std::string::npos; }))
        << version.c_str() << "\n"
        << ReadFileBytes(log);
    EXPECT_EQ(TestServerRequests("/appLatest"), asked + 1);
    EXPECT_FALSE(setup.WaitForMessageBox(0).has_value()) << "offered " << version.c_str();
    EXPECT_EQ(setup.CloseMainDialog(), std::optional<DWORD>(0));
  }
}

// Only the update Setup downloaded itself may use the hand-off switches: any
// other Setup given them starts as usual and overwrites nothing.
TEST_F(SelfUpdateTest, HandOffSwitchesFromAnyOtherStartAreIgnored) {
  const std::wstring victim = folder_.File(L"victim.sys");
  ASSERT_TRUE(WriteFileBytes(victim, "keep"));
  SetupProcess setup;
  std::wstring error;
  ASSERT_TRUE(setup.StartToMainDialog(
      PlaceSetup(L"Setup.exe"),
      L"/apply-self-update:" + victim + L" /apply-self-version:" + kNextVersion + L" /apply-self-pid:0", &error))
      << error.c_str();
  EXPECT_EQ(WindowTextOf(setup.mainDialog()), kMainCaption);
  EXPECT_EQ(ReadFileBytes(victim), "keep");
  EXPECT_EQ(ReplaceLog().find("[apply]"), std::string::npos) << ReplaceLog();
  EXPECT_EQ(setup.CloseMainDialog(), std::optional<DWORD>(0));
}

TEST_F(SelfUpdateTest, AHotfixIsOfferedAndNoStartsTheInstallerAsUsual) {
  Publish(L"1.0.19-hotfix");
  const size_t downloads = TestServerRequests("/next-setup.exe");
  SetupProcess setup;
  std::wstring error;
  // The window does not wait for the server: the offer comes over it, owned by it.
  ASSERT_TRUE(setup.StartToMainDialog(PlaceSetup(L"Setup.exe"), L"", &error)) << error.c_str();
  const auto offer = setup.WaitForMessageBox();
  ASSERT_TRUE(offer.has_value());
  EXPECT_EQ(::GetWindow(offer->window, GW_OWNER), setup.mainDialog());
  EXPECT_EQ(offer->caption, L"Orlinth Setup");
  EXPECT_EQ(offer->text, std::wstring(L"새 설치 프로그램이 있습니다.\n\n현재: ") + kSetupVersion +
                             L"\n최신: 1.0.19-hotfix\n\nSetup 파일을 업데이트한 뒤 다시 시작할까요?");
  setup.Answer(*offer, IDNO);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(offer->window); }));
  EXPECT_EQ(TestServerRequests("/next-setup.exe"), downloads);
  EXPECT_EQ(setup.CloseMainDialog(), std::optional<DWORD>(0));
}

// A download that fails its digest, or never ends (no length, a byte now and
// then), is a warning; then the main window comes as without an update.
TEST_F(SelfUpdateTest, AFailedDownloadIsAWarningAndTheMainWindowComes) {
  const std::wstring fault = TestServerRoot() + L"\\next-setup.exe.fault";
  for (const bool dripping : {false, true}) {
    Publish(kNextVersion, dripping ? L"" : std::wstring(64, L'0'));
    if (dripping) {
      ASSERT_TRUE(WriteFileBytes(fault, "drip"));
    }
    SetupProcess setup;
    std::wstring error;
    ASSERT_TRUE(setup.StartToMainDialog(PlaceSetup(L"Setup.exe"), L"", &error)) << error.c_str();
    const auto offer = setup.WaitForMessageBox();
    ASSERT_TRUE(offer.has_value());
    setup.Answer(*offer, IDYES);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(offer->window); }));
    const auto warning = setup.WaitForMessageBox(60000);
    ::DeleteFileW(fault.c_str());
    ASSERT_TRUE(warning.has_value());
    EXPECT_EQ(warning->text, dripping ? L"제한 시간 안에 다운로드를 마치지 못했습니다."
                                      : L"파일 무결성 검사(SHA-256)에 실패했습니다.\n다시 받아 주세요.");
    EXPECT_FALSE(PathExists(UpdateFolder() + L"\\OrlinthSetup-update.exe"));
    setup.Answer(*warning, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(warning->window); }));
    // The window takes up where it was, ready for the install.
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(setup.mainDialog(), IDC_INSTALL)));
    EXPECT_EQ(setup.CloseMainDialog(), std::optional<DWORD>(0));
  }
}

// The new Setup runs from the working root with the user's arguments and the
// release folder the old one was started from, and it refreshes Setup.exe
// there without going near a folder planted under the old temporary name or a
// link planted under the old aside name.
TEST_F(SelfUpdateTest, TheNewSetupRunsFromTheWorkingRootAndRefreshesSetupExeInItsFolder) {
  ReleaseFolder release;
  const std::wstring old = release.SetupExe();
  TempFolder outside;
  ASSERT_TRUE(WriteFileBytes(outside.File(L"keep.txt"), "keep"));
  ASSERT_TRUE(::CreateDirectoryW((old + L".new").c_str(), nullptr));
  const FolderLink aside(old + L".old", outside.path());
  ASSERT_TRUE(aside.made());
  Publish(kNextVersion);
  AcceptOffer(old, L"/update");

  SetupProcess restarted;
  ASSERT_TRUE(restarted.AttachToRunning(LocalCopy(), 30000));
  ASSERT_NE(restarted.WaitForMainDialog(), nullptr);
  const std::wstring commandLine = restarted.CommandLine();
  EXPECT_TRUE(commandLine.ends_with(L".exe\" /noselfupdate /update /release-folder:" + release.path()))
      << commandLine.c_str();
  const auto done = restarted.WaitForMessageBox(120000);
  ASSERT_TRUE(done.has_value());
  EXPECT_NE(restarted.ControlText(IDC_LOG_PANE).find(L"로컬 패키지 폴더 사용: " + release.path() + L"\r\n"),
            std::wstring::npos);
  restarted.Answer(*done, IDOK);

  ASSERT_TRUE(WaitUntil([] { return ReplaceLog().find("[apply] in-place ok") != std::string::npos; }, 30000))
      << ReplaceLog();
  EXPECT_TRUE(ReadFileBytes(old) == next_);
  EXPECT_EQ(ReadFileBytes(outside.File(L"keep.txt")), "keep");
  EXPECT_TRUE(IsLinkPath(old + L".old"));
  EXPECT_EQ(PartialFilesBeside(old), 0u);
  ExpectInOrder(ReplaceLog(), {L"[apply] self=" + UpdateFolder() + L"\\OrlinthSetup-update.exe\r\n",
                               L"[apply] oldPath=" + old + L"\r\n", L"[apply] version=" + kNextVersion + L" pid=",
                               L"[apply] started " + LocalCopy() + L"\r\n", L"[in-place] old=" + old + L"\r\n",
                               L"[in-place] dest=" + old + L"\r\n", L"[in-place] same-name replace ok\r\n",
                               L"[apply] in-place ok -> " + old + L"\r\n"});
  EXPECT_TRUE(ReadFileBytes(LocalCopy()) == next_);
}

TEST_F(SelfUpdateTest, AVersionedNameMovesToTheNewVersionsName) {
  const std::wstring old = PlaceSetup(VersionedName(kSetupVersion));
  Publish(kNextVersion);
  AcceptOffer(old, L"");

  SetupProcess restarted;
  ASSERT_TRUE(restarted.AttachToRunning(LocalCopy(), 30000));
  ASSERT_NE(restarted.WaitForMainDialog(), nullptr);
  const std::wstring log = restarted.ControlText(IDC_LOG_PANE);
  EXPECT_EQ(log.substr(0, log.find(L"\r\n")), L"Orlinth Setup " + kNextVersion);
  EXPECT_TRUE(restarted.CommandLine().ends_with(L" /noselfupdate")) << restarted.CommandLine().c_str();
  const std::wstring renamed = folder_.File(VersionedName(kNextVersion));
  ASSERT_TRUE(WaitUntil([] { return ReplaceLog().find("[apply] in-place ok") != std::string::npos; }, 30000))
      << ReplaceLog();
  EXPECT_FALSE(PathExists(old));
  EXPECT_TRUE(ReadFileBytes(renamed) == next_);
  ExpectInOrder(ReplaceLog(), {L"[in-place] dest=" + renamed + L"\r\n", L"[in-place] rename replace ok\r\n",
                               L"[apply] in-place ok -> " + renamed + L"\r\n"});
}

// A program of the user's swaps Setup.exe for itself the moment the old Setup
// has ended, and holds it: it is never started, and the new Setup runs anyway.
TEST_F(SelfUpdateTest, APlantedSetupHeldOpenIsNeitherStartedNorReplaced) {
  const std::wstring old = PlaceSetup(L"Setup.exe");
  Publish(kNextVersion);
  const ScopedTestSetting markers(L"ORLINTH_MARKER_DIR", folder_.path());
  AcceptOffer(old, L"");
  const std::string planted = ReadFileBytes(TestProgramFolder() + L"\\planted_program.exe");
  ASSERT_TRUE(WriteFileBytes(old, planted));
  UniqueHandle hold(::CreateFileW(old.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(hold);

  SetupProcess restarted;
  ASSERT_TRUE(restarted.AttachToRunning(LocalCopy(), 30000));
  ASSERT_NE(restarted.WaitForMainDialog(), nullptr);
  const std::wstring log = restarted.ControlText(IDC_LOG_PANE);
  EXPECT_EQ(log.substr(0, log.find(L"\r\n")), L"Orlinth Setup " + kNextVersion);
  ASSERT_TRUE(
      WaitUntil([] { return ReplaceLog().find("[apply] user-visible copy not placed") != std::string::npos; }, 30000))
      << ReplaceLog();
  hold.reset();
  EXPECT_TRUE(ReadFileBytes(old) == planted);
  EXPECT_FALSE(PathExists(folder_.File(L"Setup.exe.ran")));
  EXPECT_EQ(PartialFilesBeside(old), 0u);
  ExpectInOrder(ReplaceLog(), {L"[apply] started " + LocalCopy() + L"\r\n",
                               L"[in-place] user-visible copy not placed (target held or not a plain file) err=",
                               L"[apply] user-visible copy not placed; " + old + L" is left as it was\r\n"});
}

}  // namespace
