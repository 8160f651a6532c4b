// Setup getting its package from the test release server: download, cache,
// digest failures and the fall-back to the embedded payload.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <tuple>
#include <utility>

#include "base/installed_version.h"
#include "base/text_helpers.h"
#include "base/win_handle.h"
#include "build_config.h"
#include "net/sha256_verify.h"
#include "res/resource_ids.h"
#include "support/folder_link.h"
#include "support/machine_paths.h"
#include "support/product_state.h"
#include "support/proxy_settings.h"
#include "support/release_folder.h"
#include "support/setup_driver.h"
#include "support/temp_folder.h"
#include "support/test_server.h"
#include "support/window_flows.h"
#include "support/zip_builder.h"

namespace {

std::wstring Cache(const wchar_t* name) { return ExpectedWorkingRoot() + L"\\" + name; }

constexpr wchar_t kPackageName[] = L"server-package.zip";
constexpr wchar_t kInstalled[] =
    L"Orlinth 설치가 완료되었습니다.\n\n메모장 / 브라우저 등을 다시 시작하면\nOrlinth으로 입력할 수 있습니다.";
constexpr wchar_t kNotFound[] =
    L"설치 패키지를 찾을 수 없습니다.\n\n• 온라인: 인터넷 연결 후 다시 실행하세요.\n• 폴더 배포: Setup.exe 를 릴리스 "
    L"폴더 안에서 실행하세요.\n• 단일 파일 배포: Pack-Setup 으로 만든 Setup.exe 를 사용하세요.";

// Publishes the sample package and an answer naming it; the digest given is
// the real one unless `digest` is set.
void Publish(const std::wstring& version, const std::wstring& digest = L"", const std::wstring& urlPrefix = L"",
             size_t padding = 0, const std::string& folder = "") {
  ZipBuilder zip;
  if (padding > 0) zip.Add("padding.bin", std::string(padding, 'p'), false);
  for (const char* name :
       {"Install.ps1", "Uninstall.ps1", "ImeInstallCommon.ps1", "Orlinth-Japanese.dll", "manifest.json"}) {
    zip.Add(folder + name, ReadFileBytes(TestProgramFolder() + L"\\sample-package\\" + Utf8ToWide(name)), true);
  }
  const std::wstring archive = TestServerRoot() + L"\\" + kPackageName;
  ASSERT_TRUE(WriteFileBytes(archive, zip.Finish()));
  std::wstring real;
  std::wstring error;
  ASSERT_TRUE(HashFileSha256(archive, &real, &error));
  ASSERT_TRUE(PublishReleaseAnswer(ReleaseAnswer(
      {{"packageJaVersion", WideToUtf8(version)},
       {"packageJaUrl", WideToUtf8(kReleaseBaseUrl) + WideToUtf8(urlPrefix) + "/" + WideToUtf8(kPackageName)},
       {"packageJaSha256", WideToUtf8(digest.empty() ? real : digest)}})));
}

class ServerTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(InstallPowerShellStandIn()); }
  void SetUp() override {
    ASSERT_FALSE(TestServerRoot().empty()) << "the test release server is not running";
    RemoveTree(Cache(L"package-cache"));
    RemoveTree(Cache(L"package-download"));
    RemoveTree(Cache(L"setup-cache"));
  }
  void TearDown() override {
    ::DeleteFileW((TestServerRoot() + L"\\appLatest").c_str());
    RemoveTree(Cache(L"package-cache"));
    RemoveTree(Cache(L"setup-cache"));
  }

  // Starts the program from an otherwise empty folder, presses install,
  // answers Yes and returns the closing message and the log.
  std::pair<std::wstring, std::wstring> Install(const std::wstring& program) {
    SetupProcess setup;
    std::wstring error;
    EXPECT_TRUE(setup.StartToMainDialog(program, L"", &error)) << error.c_str();
    const Outcome outcome = RunOperation(setup, IDC_INSTALL);
    EXPECT_EQ(setup.CloseMainDialog(), std::optional<DWORD>(0));
    return {outcome.message, outcome.log};
  }

  // A plain Setup.exe alone in an empty folder.
  std::wstring PlainSetup() {
    const std::wstring setup = alone_.File(L"Setup.exe");
    EXPECT_TRUE(::CopyFileW(BuiltSetupExe().c_str(), setup.c_str(), FALSE));
    return setup;
  }

  CleanProductState clean_;
  TempFolder alone_;
  PowerShellLog powerShell_;
};

// Copies the files of a folder (not its subfolders) into another.
void CopyFiles(const std::wstring& from, const std::wstring& to) {
  WIN32_FIND_DATAW found = {};
  UniqueFindHandle listing(::FindFirstFileW((from + L"\\*").c_str(), &found));
  for (bool more = static_cast<bool>(listing); more; more = ::FindNextFileW(listing.get(), &found) != FALSE) {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    EXPECT_TRUE(::CopyFileW((from + L"\\" + found.cFileName).c_str(), (to + L"\\" + found.cFileName).c_str(), FALSE));
  }
}

// Where a per-user cache used to be, any program of the user can plant a
// "complete" package; the elevated Setup must never run it.
std::wstring PlantPerUserPackage(const std::wstring& version) {
  wchar_t local[MAX_PATH] = {};
  ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local);
  const std::wstring planted = std::wstring(local) + L"\\Orlinth-Japanese\\package-cache\\" + version;
  EXPECT_EQ(::SHCreateDirectoryExW(nullptr, planted.c_str(), nullptr), ERROR_SUCCESS);
  for (const wchar_t* name : {L".package_ok", L"Install.ps1", L"ImeInstallCommon.ps1"}) {
    EXPECT_TRUE(WriteFileBytes(planted + L"\\" + name, "Write-Host 'planted'\r\n"));
  }
  return planted;
}

TEST_F(ServerTest, APlainSetupInstallsFromTheServerAndThenFromTheCache) {
  Publish(L"2.4.0-server");
  const std::wstring planted = PlantPerUserPackage(L"2.4.0-server");
  const std::wstring setup = PlainSetup();
  const size_t before = TestServerRequests("/server-package.zip");
  auto [message, log] = Install(setup);
  EXPECT_EQ(message, kInstalled);
  EXPECT_NE(log.find(L"서버 packageVersion: 2.4.0-server\r\n"), std::wstring::npos) << log.c_str();
  EXPECT_NE(log.find(L"서버 패키지 준비 완료: " + Cache(L"package-cache") + L"\\2.4.0-server\r\n"), std::wstring::npos);
  EXPECT_EQ(TestServerRequests("/server-package.zip"), before + 1);

  std::tie(message, log) = Install(setup);
  EXPECT_EQ(message,
            L"Orlinth 업데이트가 완료되었습니다.\n\n메모장 / 브라우저 등을 다시 시작하면\n새 버전이 적용됩니다.");
  EXPECT_EQ(TestServerRequests("/server-package.zip"), before + 1);  // no second download
  size_t scriptRuns = 0;
  for (const PowerShellRun& run : powerShell_.Runs()) {
    EXPECT_EQ(run.command.find(planted), std::wstring::npos) << run.command.c_str();
    if (run.command.find(Cache(L"package-cache") + L"\\2.4.0-server\\Install.ps1") != std::wstring::npos) {
      ++scriptRuns;
    }
  }
  EXPECT_EQ(scriptRuns, 2u);
  RemoveTree(planted);

  // A newer release takes the older one's place: only the newest is kept.
  Publish(L"2.4.1-server");
  std::tie(message, log) = Install(setup);
  EXPECT_NE(log.find(L"서버 패키지 준비 완료: " + Cache(L"package-cache") + L"\\2.4.1-server\r\n"), std::wstring::npos);
  EXPECT_FALSE(PathExists(Cache(L"package-cache") + L"\\2.4.0-server"));
}

// The status line follows the download; the close box stops it once the user
// says so, the window is idle again, and the next install goes on from where it stopped. The server
// holds the transfer half-way until the test lets it go.
TEST_F(ServerTest, TheWindowFollowsTheDownloadWhichCanBeStoppedAndResumed) {
  Publish(L"2.4.0-slow", L"", L"/slow", 3 * 1024 * 1024);
  const std::wstring hold = TestServerRoot() + L"\\" + kPackageName + L".fault";
  ASSERT_TRUE(WriteFileBytes(hold, "hold"));
  const std::wstring program = PlainSetup();
  SetupProcess setup;
  std::wstring error;
  ASSERT_TRUE(setup.StartToMainDialog(program, L"", &error)) << error.c_str();
  auto install = [&] {
    setup.Click(IDC_INSTALL);
    const auto question = setup.WaitForMessageBox();
    ASSERT_TRUE(question.has_value());
    setup.Answer(*question, IDYES);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(question->window); }));
  };
  install();
  HWND progress = ::GetDlgItem(setup.mainDialog(), IDC_PROGRESS);
  auto position = [&] { return static_cast<int>(::SendMessageW(progress, PBM_GETPOS, 0, 0)); };
  // "1.5 / 3.0 MB · 1.2 MB/s · 약 3초 남음" and so on, the bar part-way.
  EXPECT_TRUE(WaitUntil(
      [&] {
        return setup.ControlText(IDC_STATUS_LINE).find(L" / 3.0 MB") != std::wstring::npos && position() > 0 &&
               position() < 100;
      },
      30000))
      << setup.ControlText(IDC_STATUS_LINE).c_str() << " at " << position();
  EXPECT_EQ(setup.ControlText(IDC_CLOSE), L"다운로드 취소(&C)");
  // The close box asks first: No goes on downloading, Yes stops it (the
  // button stops it at once: the /passive case below).
  for (const int answer : {IDNO, IDYES}) {
    setup.PostToDialog(WM_CLOSE);
    const auto ask = setup.WaitForMessageBox();
    ASSERT_TRUE(ask.has_value());
    EXPECT_EQ(ask->text, L"설치 패키지 다운로드를 멈출까요?\n받은 부분은 다음에 이어서 받습니다.");
    setup.Answer(*ask, answer);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(ask->window); }));
    if (answer == IDNO) {
      EXPECT_EQ(setup.ControlText(IDC_CLOSE), L"다운로드 취소(&C)");
    }
  }
  EXPECT_TRUE(WaitUntil(
      [&] {
        return setup.ControlText(IDC_STATUS_LINE) ==
               L"다운로드를 취소했습니다. 다시 시작하면 받던 곳부터 이어서 받습니다.";
      },
      30000))
      << setup.ControlText(IDC_STATUS_LINE).c_str();
  EXPECT_EQ(setup.ControlText(IDC_CLOSE), L"닫기(&C)");

  ASSERT_TRUE(::DeleteFileW(hold.c_str()));
  install();
  EXPECT_EQ(WaitForOutcome(setup).message, kInstalled);
  EXPECT_EQ(setup.CloseMainDialog(), std::optional<DWORD>(0));
  std::string path = WideToUtf8(kPackageName);
  path.insert(0, "/slow/");
  const std::vector<std::string> ranges = TestServerRanges(path);
  ASSERT_FALSE(ranges.empty());
  EXPECT_TRUE(ranges.back().starts_with("bytes=")) << ranges.back();
}

// A deployment's download the user stops in the window of /passive: the run
// ends as cancelled, with nothing installed. What it kept is continued by the
// next run, and refused as a whole when its start was changed meanwhile.
TEST_F(ServerTest, APassiveDownloadStoppedEndsAsCancelled) {
  Publish(L"2.4.0-slow", L"", L"/slow", 3 * 1024 * 1024);
  const std::wstring hold = TestServerRoot() + L"\\" + kPackageName + L".fault";
  ASSERT_TRUE(WriteFileBytes(hold, "hold"));
  SetupProcess setup;
  std::wstring error;
  ASSERT_TRUE(setup.StartToMainDialog(PlainSetup(), L"/passive", &error)) << error.c_str();
  ASSERT_TRUE(
      WaitUntil([&] { return setup.ControlText(IDC_STATUS_LINE).find(L" / 3.0 MB") != std::wstring::npos; }, 30000))
      << setup.ControlText(IDC_STATUS_LINE).c_str();
  setup.Click(IDC_CLOSE);
  EXPECT_EQ(setup.WaitForExit(30000), std::optional<DWORD>(1602));
  ASSERT_TRUE(::DeleteFileW(hold.c_str()));
  EXPECT_FALSE(UninstallKeyExists());
  EXPECT_TRUE(powerShell_.Runs().empty());

  const std::wstring partial = Cache(L"package-download") + L"\\2.4.0-slow.zip.partial";
  std::string kept = ReadFileBytes(partial);
  ASSERT_GT(kept.size(), 4u);
  kept[0] = kept[0] == 'X' ? 'Y' : 'X';
  ASSERT_TRUE(WriteFileBytes(partial, kept));
  const size_t resumed = TestServerRanges("/slow/" + WideToUtf8(kPackageName)).size();
  EXPECT_EQ(Install(PlainSetup()).first,
            L"서버에서 설치 패키지를 받지 못했습니다.\n\n파일 무결성 검사(SHA-256)에 "
            L"실패했습니다.\n다시 받아 주세요.\n\n인터넷 연결을 확인한 뒤 다시 시도하세요.");
  const std::vector<std::string> ranges = TestServerRanges("/slow/" + WideToUtf8(kPackageName));
  ASSERT_GT(ranges.size(), resumed);
  EXPECT_EQ(ranges[resumed], "bytes=" + std::to_string(kept.size()) + "-");
  EXPECT_FALSE(PathExists(partial));
  EXPECT_TRUE(powerShell_.Runs().empty());
}

// A server that takes the connection and never answers, or one that answers
// a byte at a time for longer than the start-up check's budget of 5 s: the
// window does not wait for it, and the check gives up (after a stall, or when
// its budget is spent) with a line in the run log.
TEST_F(ServerTest, ASilentOrCrawlingServerHoldsNeitherTheWindowNorTheCheck) {
  const std::wstring program = PlainSetup();
  const std::wstring fault = TestServerRoot() + L"\\appLatest.fault";
  // Were it waited for, this answer would offer a newer Setup.
  const std::string base = WideToUtf8(kReleaseBaseUrl);
  const std::string digest(64, '0');
  ASSERT_TRUE(PublishReleaseAnswer(ReleaseAnswer({{"setupVersion", "99.0.0"},
                                                  {"setupJaUrl", base + "/s.exe"},
                                                  {"setupJaSha256", digest},
                                                  {"packageJaVersion", "2.4.0"},
                                                  {"packageJaUrl", base + "/p.zip"},
                                                  {"packageJaSha256", digest}})));
  TempFolder logs;
  for (const std::string how : {"never", "trickle"}) {  // trickle: 8 bytes 0.75 s apart, 6 s in all
    ASSERT_TRUE(WriteFileBytes(fault, how));
    const std::wstring log = logs.File(Utf8ToWide(how) + L".log");
    SetupProcess setup;
    std::wstring error;
    ASSERT_TRUE(setup.StartToMainDialog(program, L"/log:" + log, &error)) << error.c_str();
    const std::string gaveUp = WideToUtf8(L"새 Setup 확인 실패: ");
    EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(log).find(gaveUp) != std::string::npos; }, 30000))
        << how << "\n"
        << ReadFileBytes(log);
    EXPECT_FALSE(setup.WaitForMessageBox(0).has_value()) << how;
    EXPECT_EQ(setup.CloseMainDialog(), std::optional<DWORD>(0));
    ::DeleteFileW(fault.c_str());
  }
}

// A download that stops half-way fails once nothing has come for a while (3 s
// in the test build, three times), and the window is free again; one that only
// trickles goes on to the end; one cut once goes on from the cut.
TEST_F(ServerTest, AStalledDownloadFailsAndATricklingOrCutOneCompletes) {
  Publish(L"2.4.0-stalled", L"", L"/stall");
  const std::wstring program = PlainSetup();
  const std::string stalled = "/stall/" + WideToUtf8(kPackageName);
  const size_t asked = TestServerRequests(stalled);
  const auto [failure, log] = Install(program);
  EXPECT_EQ(failure,
            L"서버에서 설치 패키지를 받지 못했습니다.\n\n다운로드 중 오류가 발생했습니다.\n\n인터넷 연결을 확인한 "
            L"뒤 다시 시도하세요.");
  // Three attempts, and what came is kept for the next run to continue.
  EXPECT_EQ(TestServerRequests(stalled), asked + 3);
  const std::wstring partial = ExpectedPackageArchive(L"2.4.0-stalled") + L".partial";
  EXPECT_GT(ReadFileBytes(partial).size(), 0u);
  EXPECT_FALSE(PathExists(ExpectedPackageArchive(L"2.4.0-stalled")));

  Publish(L"2.4.0-trickled", L"", L"/trickle");  // five bytes a second apart, longer than a stall
  EXPECT_EQ(Install(program).first, kInstalled);

  ClearProductState();
  Publish(L"2.4.0-cut");
  const std::wstring fault = TestServerRoot() + L"\\" + kPackageName + L".fault";
  ASSERT_TRUE(WriteFileBytes(fault, "cut-once"));
  EXPECT_EQ(Install(program).first, kInstalled);
  ::DeleteFileW(fault.c_str());
  const size_t half = ReadFileBytes(TestServerRoot() + L"\\" + kPackageName).size() / 2;
  std::string path = WideToUtf8(kPackageName);
  path.insert(path.begin(), '/');
  const std::vector<std::string> ranges = TestServerRanges(path);
  ASSERT_GE(ranges.size(), 2u);
  EXPECT_EQ(ranges[ranges.size() - 2], "-");
  EXPECT_EQ(ranges.back(), "bytes=" + std::to_string(half) + "-");
}

TEST_F(ServerTest, ABrokenCacheIsDownloadedAgainAndOneTopLevelFolderIsFine) {
  Publish(L"2.4.0-nested", L"", L"", 0, "pkg/");
  const std::wstring setup = PlainSetup();
  const size_t before = TestServerRequests("/server-package.zip");
  auto [message, log] = Install(setup);
  const std::wstring cached = Cache(L"package-cache") + L"\\2.4.0-nested";
  EXPECT_NE(log.find(L"서버 패키지 준비 완료: " + cached + L"\\pkg\r\n"), std::wstring::npos) << log.c_str();
  ASSERT_TRUE(::DeleteFileW((cached + L"\\pkg\\Install.ps1").c_str()));
  std::tie(message, log) = Install(setup);
  EXPECT_EQ(message,
            L"Orlinth 업데이트가 완료되었습니다.\n\n메모장 / 브라우저 등을 다시 시작하면\n새 버전이 적용됩니다.");
  EXPECT_EQ(TestServerRequests("/server-package.zip"), before + 2);
}

TEST_F(ServerTest, ScriptsTwoFoldersDeepAreNotFound) {
  Publish(L"2.4.0-deep", L"", L"", 0, "a/b/");
  const std::wstring setup = PlainSetup();
  const auto [message, log] = Install(setup);
  EXPECT_EQ(message,
            L"서버에서 설치 패키지를 받지 못했습니다.\n\n압축 결과에 Install.ps1 이 없습니다.\n\n인터넷 연결을 확인한 "
            L"뒤 다시 "
            L"시도하세요.");
}

TEST_F(ServerTest, ADigestMismatchWithoutPayloadShowsTheServerMessage) {
  Publish(L"2.4.0-bad", std::wstring(64, L'0'));
  const std::wstring setup = PlainSetup();
  const auto [message, log] = Install(setup);
  EXPECT_EQ(
      message,
      L"서버에서 설치 패키지를 받지 못했습니다.\n\n파일 무결성 검사(SHA-256)에 실패했습니다.\n다시 받아 주세요.\n\n"
      L"인터넷 연결을 확인한 뒤 다시 시도하세요.");
  EXPECT_FALSE(AnyOfTheDownloadLeft(L"2.4.0-bad"));
  EXPECT_FALSE(PathExists(Cache(L"package-cache") + L"\\2.4.0-bad\\.package_ok"));
}

TEST_F(ServerTest, ASingleFileSetupPrefersTheServerAndFallsBackToItsPayload) {
  const std::wstring setup = alone_.File(L"Setup.exe");
  ASSERT_TRUE(::CopyFileW((TestProgramFolder() + L"\\single-file\\Setup.exe").c_str(), setup.c_str(), FALSE));
  Publish(L"2.4.0-reachable");
  const auto [reached, reachedLog] = Install(setup);
  EXPECT_EQ(reached, kInstalled);
  EXPECT_EQ(reachedLog.find(L"서버 패키지 준비 실패"), std::wstring::npos) << reachedLog.c_str();
  EXPECT_FALSE(PathExists(Cache(L"setup-cache")));

  ClearProductState();
  Publish(L"2.4.0-gone");
  ASSERT_TRUE(::DeleteFileW((TestServerRoot() + L"\\" + kPackageName).c_str()));
  const auto [message, log] = Install(setup);
  EXPECT_EQ(message, kInstalled);
  EXPECT_NE(log.find(L"서버 패키지 준비 실패: 서버가 오류를 반환했습니다. (HTTP 404)\r\n"), std::wstring::npos)
      << log.c_str();
  EXPECT_TRUE(PathExists(Cache(L"setup-cache")));
}

// Signed after packing, whatever padding the signing tool added, a single-file
// Setup installs from the payload before its signature; a payload appended
// inside a grown certificate table is never used.
TEST_F(ServerTest, SignedSingleFileSetupsUseOnlyThePayloadBeforeTheSignature) {
  const std::wstring setup = alone_.File(L"Setup.exe");
  for (int remainder = 0; remainder < 8; ++remainder) {
    SCOPED_TRACE(remainder);
    const std::wstring signedSetup = TestProgramFolder() + L"\\signed\\Setup-" + std::to_wstring(remainder) + L".exe";
    ASSERT_TRUE(::CopyFileW(signedSetup.c_str(), setup.c_str(), FALSE));
    const auto [message, log] = Install(setup);
    EXPECT_EQ(message, kInstalled);
    EXPECT_NE(log.find(L"단일 파일 Setup: 내장 패키지를 압축 해제합니다.\r\n"), std::wstring::npos) << log.c_str();
    ClearProductState();
    RemoveTree(Cache(L"setup-cache"));
  }
  ASSERT_TRUE(::CopyFileW((TestProgramFolder() + L"\\signed\\grown.exe").c_str(), setup.c_str(), FALSE));
  EXPECT_EQ(Install(setup).first, kNotFound);
}

// A Setup built with the publisher's keys (made for the test) installs what
// they signed, from the server or from a release folder, and nothing else.
TEST_F(ServerTest, AKeyedSetupInstallsOnlyWhatItsKeysSigned) {
  const std::wstring fixtures = TestProgramFolder() + L"\\release-signing\\";
  const std::wstring refused =
      L"서버에서 설치 패키지를 받지 못했습니다.\n\nlatest 응답의 서명을 확인하지 못했습니다.\n공식 "
      L"릴리스 서버의 응답이 아닐 수 있습니다.";
  const std::wstring setup = alone_.File(L"Setup.exe");
  ASSERT_TRUE(::CopyFileW((TestProgramFolder() + L"\\keyed\\Setup.exe").c_str(), setup.c_str(), FALSE));
  // Written the way other serializers write (every "/" as "\/", blanks
  // around colons), and with a manifest.json in the product's data folder,
  // which any user may have made, claiming a far newer version.
  CopyFiles(fixtures + L"signed-a-escaped", TestServerRoot());
  const std::wstring productData = ExpectedProductDataFolder();
  ASSERT_EQ(::SHCreateDirectoryExW(nullptr, productData.c_str(), nullptr), ERROR_SUCCESS);
  ASSERT_TRUE(WriteFileBytes(productData + L"\\manifest.json", "{\"version\":\"999\"}"));
  auto [message, log] = Install(setup);
  EXPECT_EQ(message, kInstalled);
  EXPECT_NE(log.find(L"서버 packageVersion: 2.4.0-signed\r\n"), std::wstring::npos) << log.c_str();
  EXPECT_EQ(InstalledPackageVersion(), L"2.4.0-signed");
  EXPECT_EQ(ReadUninstallValue(L"DisplayVersion")->text, L"2.4.0-signed");

  // A newer product is there, as Setup recorded it: the signed but older
  // package is not taken.
  ClearProductState();
  RecordInstalledPackageVersion(L"9.0.0");
  CopyFiles(fixtures + L"signed-a", TestServerRoot());
  std::tie(message, log) = Install(setup);
  EXPECT_EQ(
      message,
      L"서버에서 설치 패키지를 받지 못했습니다.\n\n서버의 설치 패키지(2.4.0-signed)가 설치된 버전(9.0.0)보다 낮아 "
      L"사용하지 않습니다.");

  ClearProductState();
  CopyFiles(fixtures + L"signed-c", TestServerRoot());
  std::tie(message, log) = Install(setup);
  EXPECT_EQ(message, refused);
  // Signed, but readers would differ on which of its two addresses counts.
  CopyFiles(fixtures + L"signed-a-duplicate", TestServerRoot());
  std::tie(message, log) = Install(setup);
  EXPECT_EQ(message,
            L"서버에서 설치 패키지를 받지 못했습니다.\n\nlatest 응답의 서명된 정보를 읽지 못했습니다: 같은 이름이 두 "
            L"번 있습니다: packageJaUrl");
  CopyFiles(fixtures + L"signed-c", TestServerRoot());

  TempFolder release;
  CopyFiles(fixtures + L"release-folder", release.path());
  ASSERT_TRUE(::CreateDirectoryW(release.File(L"docs").c_str(), nullptr));
  CopyFiles(fixtures + L"release-folder\\docs", release.File(L"docs"));
  ASSERT_TRUE(::CopyFileW(setup.c_str(), (release.path() + L"\\Setup.exe").c_str(), FALSE));
  std::tie(message, log) = Install(release.path() + L"\\Setup.exe");
  EXPECT_EQ(message, kInstalled);
  ASSERT_FALSE(powerShell_.Runs().empty());
  EXPECT_NE(powerShell_.Runs().back().command.find(Cache(L"release-package\\Install.ps1")), std::wstring::npos);
  EXPECT_EQ(InstalledPackageVersion(), L"2.4.0");
  // Signed too, but older than what is installed.
  const size_t runs = powerShell_.Runs().size();
  RecordInstalledPackageVersion(L"3.0.0");
  std::tie(message, log) = Install(release.path() + L"\\Setup.exe");
  EXPECT_EQ(message, L"릴리스 폴더의 설치 패키지(2.4.0)가 설치된 버전(3.0.0)보다 낮아 사용하지 않습니다.");
  EXPECT_EQ(powerShell_.Runs().size(), runs);
  ClearProductState();
  {
    // A listed file reached through a link, even to the very same bytes, is
    // not taken.
    TempFolder outside;
    ASSERT_TRUE(::MoveFileW((release.path() + L"\\docs").c_str(), (outside.path() + L"\\docs").c_str()));
    const FolderLink link(release.path() + L"\\docs", outside.path() + L"\\docs");
    ASSERT_TRUE(link.made());
    std::tie(message, log) = Install(release.path() + L"\\Setup.exe");
    EXPECT_EQ(message, refused);
    EXPECT_NE(log.find(L"릴리스 폴더를 사용하지 않습니다: 링크이거나 일반 파일이 아닌 항목: docs\\readme.txt\r\n"),
              std::wstring::npos)
        << log.c_str();
  }
  // Changed after signing: the folder is not used, and the server's answer is
  // refused as before.
  ASSERT_TRUE(WriteFileBytes(release.path() + L"\\Install.ps1", "throw 'changed'\n"));
  std::tie(message, log) = Install(release.path() + L"\\Setup.exe");
  EXPECT_EQ(message, refused);
  EXPECT_NE(log.find(L"릴리스 폴더를 사용하지 않습니다: 파일 목록과 다른 파일: Install.ps1\r\n"), std::wstring::npos)
      << log.c_str();
}

// Where the browser goes through a proxy, so does Setup; an answer the proxy
// kept is not taken for the release of today (packages may come from its
// cache); a proxy that wants a sign-in Setup cannot give is said to want one.
TEST_F(ServerTest, TheBrowsersProxyScriptIsFollowed) {
  ASSERT_NE(TestProxyPort(), 0u) << "the test proxy is not running";
  const ProxySettings settings(ProxyWay::Script, WideToUtf8(kReleaseBaseUrl) + "/proxy.pac");
  ASSERT_TRUE(settings.made());
  const std::wstring kept = TestServerRoot() + L"\\proxy-cache";
  ::CreateDirectoryW(kept.c_str(), nullptr);
  ASSERT_TRUE(WriteFileBytes(kept + L"\\appLatest", ReleaseAnswer({{"packageJaVersion", "2.3.9-kept"},
                                                                   {"packageJaUrl", "http://127.0.0.1:9/old.zip"},
                                                                   {"packageJaSha256", std::string(64, 'a')}})));
  Publish(L"2.4.0-proxied");
  std::string package = WideToUtf8(kPackageName);
  package.insert(package.begin(), '/');
  const size_t answers = TestProxyRequests("/appLatest");
  const size_t packages = TestProxyRequests(package);
  const size_t asked = TestServerCacheDirectives("/appLatest").size();
  const std::wstring program = PlainSetup();
  const auto [done, doneLog] = Install(program);
  RemoveTree(kept);
  EXPECT_EQ(done,
            L"Orlinth 설치가 완료되었습니다.\n\n메모장 / 브라우저 등을 다시 시작하면\nOrlinth으로 입력할 수 "
            L"있습니다.");
  EXPECT_NE(doneLog.find(L"서버 packageVersion: 2.4.0-proxied\r\n"), std::wstring::npos) << doneLog.c_str();
  EXPECT_GT(TestProxyRequests("/appLatest"), answers);
  EXPECT_EQ(TestProxyRequests(package), packages + 1);
  const std::vector<std::string> directives = TestServerCacheDirectives("/appLatest");
  ASSERT_GT(directives.size(), asked);
  for (size_t i = asked; i < directives.size(); ++i) EXPECT_EQ(directives[i], "no-cache no-cache");
  EXPECT_EQ(TestServerCacheDirectives(package).back(), "- -");

  ClearProductState();
  const std::wstring signIn = TestServerRoot() + L"\\proxy-407";
  ASSERT_TRUE(WriteFileBytes(signIn, "on"));
  RemoveTree(Cache(L"package-download"));
  Publish(L"2.4.0-signin");
  const auto [message, log] = Install(program);
  ::DeleteFileW(signIn.c_str());
  EXPECT_NE(log.find(L"프록시 서버가 로그인을 요구합니다."), std::wstring::npos) << log.c_str();
  // What to do about it, and not the advice for a machine that is offline.
  EXPECT_EQ(
      message,
      L"서버에서 설치 패키지를 받지 못했습니다.\n\n프록시 서버가 로그인을 요구합니다.\n네트워크 관리자에게 프록시 "
      L"설정을 확인해 주세요.\n\n릴리스 폴더가 있으면 그 안의 Setup.exe 를 실행해 설치할 수 있습니다.");
}

// A script that never answers for the package's address is given up for it,
// within the request's budget, and the static route (direct here) is taken.
TEST_F(ServerTest, AProxyScriptThatNeverAnswersIsGivenUp) {
  const ProxySettings settings(ProxyWay::Script, WideToUtf8(kReleaseBaseUrl) + "/proxy-loop.pac");
  ASSERT_TRUE(settings.made());
  Publish(L"2.4.0-looping");
  const auto [message, log] = Install(PlainSetup());
  EXPECT_EQ(message, kInstalled);
  EXPECT_NE(log.find(L"자동 프록시 설정이 제때 답하지 않아 이 주소에는 쓰지 않습니다: " +
                     std::wstring(kReleaseBaseUrl) + L"/" + kPackageName + L"\r\n"),
            std::wstring::npos)
      << log.c_str();
}

TEST_F(ServerTest, NoAnswerAndNoPayloadGivesTheNotFoundMessage) {
  const std::wstring setup = PlainSetup();
  const auto [message, log] = Install(setup);
  EXPECT_EQ(message, kNotFound);
  EXPECT_NE(log.find(L"latest 조회 실패(오프라인/미게시): 서버가 오류를 반환했습니다. (HTTP 404)\r\n"),
            std::wstring::npos);
}

}  // namespace
