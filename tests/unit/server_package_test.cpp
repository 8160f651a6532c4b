// The server package cache against the test release server and the
// PowerShell stand-in.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "base/path_helpers.h"
#include "base/text_helpers.h"
#include "build_config.h"
#include "net/sha256_verify.h"
#include "package/server_package.h"
#include "support/machine_paths.h"
#include "support/release_folder.h"
#include "support/temp_folder.h"
#include "support/test_server.h"
#include "support/zip_builder.h"

namespace {

class ServerPackageTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(InstallPowerShellStandIn()); }
  void SetUp() override {
    ASSERT_FALSE(TestServerRoot().empty()) << "the test release server is not running";
    manifest_.packageVersion = L"test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                               Utf8ToWide(testing::UnitTest::GetInstance()->current_test_info()->name());
    cache_ = ExpectedWorkingRoot() + L"\\package-cache\\" + manifest_.packageVersion;
    name_ = WideToUtf8(manifest_.packageVersion) + ".zip";
    manifest_.packageUrl = std::wstring(kReleaseBaseUrl) + L"/" + Utf8ToWide(name_);
  }
  void TearDown() override { RemoveTree(cache_); }

  // Publishes a package whose scripts sit under `prefix` in the archive.
  void Publish(const std::string& prefix, const std::string& install = "Write-Host 'x'\r\n") {
    ZipBuilder zip;
    zip.Add(prefix + "Install.ps1", install, true);
    zip.Add(prefix + "ImeInstallCommon.ps1", "# shared\r\n", true);
    const std::wstring path = TestServerRoot() + L"\\" + Utf8ToWide(name_);
    ASSERT_TRUE(WriteFileBytes(path, zip.Finish()));
    std::wstring error;
    ASSERT_TRUE(HashFileSha256(path, &manifest_.packageSha256, &error));
  }
  bool Prepare() {
    folder_.clear();
    error_.clear();
    return PrepareServerPackage(manifest_, &folder_, nullptr, &error_);
  }

  ReleaseManifest manifest_;
  std::wstring cache_;
  std::string name_;
  std::wstring folder_;
  std::wstring error_;
};

TEST_F(ServerPackageTest, DownloadsOnceThenReusesTheStampedFolder) {
  Publish("");
  const size_t before = TestServerRequests("/" + name_);
  ASSERT_TRUE(Prepare()) << error_.c_str();
  EXPECT_EQ(folder_, cache_);
  // The version and the digest of the bytes that were extracted.
  const std::string version = name_.substr(0, name_.size() - 4);
  EXPECT_EQ(ReadFileBytes(cache_ + L"\\.package_ok"), version + "\n" + WideToUtf8(manifest_.packageSha256));
  EXPECT_FALSE(AnyOfTheDownloadLeft(manifest_.packageVersion));
  ASSERT_TRUE(Prepare());
  EXPECT_EQ(TestServerRequests("/" + name_), before + 1);

  // The same version published again with other bytes, or a stamp of the
  // version alone, is fetched again.
  Publish("", "Write-Host 'y'\r\n");
  ASSERT_TRUE(Prepare()) << error_.c_str();
  EXPECT_EQ(TestServerRequests("/" + name_), before + 2);
  EXPECT_EQ(ReadFileBytes(cache_ + L"\\Install.ps1"), "Write-Host 'y'\r\n");
  ASSERT_TRUE(WriteFileBytes(cache_ + L"\\.package_ok", version));
  ASSERT_TRUE(Prepare()) << error_.c_str();
  EXPECT_EQ(TestServerRequests("/" + name_), before + 3);

  ASSERT_TRUE(::DeleteFileW((cache_ + L"\\Install.ps1").c_str()));
  ASSERT_TRUE(Prepare()) << error_.c_str();
  EXPECT_EQ(TestServerRequests("/" + name_), before + 4);
  EXPECT_TRUE(PathExists(cache_ + L"\\Install.ps1"));
}

TEST_F(ServerPackageTest, ScriptsInOneTopLevelFolderAreFoundButNotDeeper) {
  Publish("pkg/");
  ASSERT_TRUE(Prepare()) << error_.c_str();
  EXPECT_EQ(folder_, cache_ + L"\\pkg");
  EXPECT_TRUE(PathExists(cache_ + L"\\.package_ok"));
  RemoveTree(cache_);
  Publish("a/b/");
  EXPECT_FALSE(Prepare());
  EXPECT_EQ(error_, L"압축 결과에 Install.ps1 이 없습니다.");
}

TEST_F(ServerPackageTest, ADigestMismatchRemovesTheArchiveAndLeavesNoStamp) {
  Publish("");
  manifest_.packageSha256 = std::wstring(64, L'0');
  EXPECT_FALSE(Prepare());
  EXPECT_EQ(error_, L"파일 무결성 검사(SHA-256)에 실패했습니다.\n다시 받아 주세요.");
  EXPECT_FALSE(AnyOfTheDownloadLeft(manifest_.packageVersion));
  EXPECT_FALSE(PathExists(cache_ + L"\\.package_ok"));
  manifest_.packageUrl += L".missing";
  EXPECT_FALSE(Prepare());
  EXPECT_EQ(error_, L"서버가 오류를 반환했습니다. (HTTP 404)");
}

}  // namespace
