#include <gtest/gtest.h>

#include <windows.h>

#include "net/release_manifest.h"
#include "support/temp_folder.h"
#include "support/test_server.h"

namespace {

const std::string kDigestA(64, 'a');
const std::string kDigestC(64, 'C');
const std::string kPackage =
    R"("packageJaVersion":"2.4.0","packageJaUrl":"http://h/p.zip","packageJaSha256":")" + kDigestA + R"(")";

TEST(ReadReleaseManifest, RecognisesOnlyPublishedAnswers) {
  ReleaseManifest manifest;
  std::wstring error;
  for (const std::string& answer : {R"({"ok" : true,)" + kPackage + "}", R"({"ok":false,)" + kPackage + "}",
                                    R"({"ok":  true,)" + kPackage + "}", R"({"OK":true,)" + kPackage + "}"}) {
    EXPECT_FALSE(ReadReleaseManifest(answer, &manifest, &error)) << answer;
    EXPECT_EQ(error, L"최신 버전 정보가 아직 게시되지 않았거나 서버 오류입니다.");
  }
  EXPECT_FALSE(ReadReleaseManifest(R"({"ok":true})", &manifest, &error));
  EXPECT_EQ(error, L"latest 응답에 package 정보가 없습니다.");
  EXPECT_TRUE(ReadReleaseManifest(R"({"ok": true,)" + kPackage + "}", &manifest, &error));
  EXPECT_FALSE(ReadReleaseManifest(R"({"ok":true})", nullptr, &error));
}

TEST(ReadReleaseManifest, TaggedKeysAndTheSetupVersionFallback) {
  ReleaseManifest manifest;
  std::wstring error;
  ASSERT_TRUE(ReadReleaseManifest(R"({"ok":true,"setupVersion":"1.0.20","setupJaVersion":"1.0.21",)"
                                  R"("setupUrl":"untagged","setupJaUrl":"http://h/s.exe","setupJaSha256":")" +
                                      kDigestC + R"(",)" + kPackage + "}",
                                  &manifest, &error));
  EXPECT_EQ(manifest.setupVersion, L"1.0.21");
  EXPECT_EQ(manifest.setupUrl, L"http://h/s.exe");
  EXPECT_EQ(manifest.setupSha256, std::wstring(64, L'C'));
  EXPECT_EQ(manifest.packageVersion, L"2.4.0");
  EXPECT_EQ(manifest.packageUrl, L"http://h/p.zip");
  EXPECT_EQ(manifest.packageSha256, std::wstring(64, L'a'));

  ASSERT_TRUE(ReadReleaseManifest(R"({"ok":true,"setupVersion":"1.0.20","setupJaVersion":"",)" + kPackage + "}",
                                  &manifest, &error));
  EXPECT_EQ(manifest.setupVersion, L"1.0.20");
  // Only the tagged package keys count.
  EXPECT_FALSE(ReadReleaseManifest(
      R"({"ok":true,"packageVersion":"1","packageUrl":"u","packageSha256":")" + kDigestA + R"("})", &manifest, &error));

  // A digest that nothing can match is none: no package, and no Setup on offer.
  for (const std::string& digest : {std::string(63, 'a'), std::string(65, 'a'), std::string(63, 'a') + "g"}) {
    std::string answer = R"({"ok":true,"setupJaUrl":"u","setupJaSha256":")" + digest + R"(",)" + kPackage + "}";
    ASSERT_TRUE(ReadReleaseManifest(answer, &manifest, &error)) << digest;
    EXPECT_TRUE(manifest.setupSha256.empty()) << digest;
    answer.replace(answer.rfind(kDigestA), kDigestA.size(), digest);
    EXPECT_FALSE(ReadReleaseManifest(answer, &manifest, &error)) << digest;
    EXPECT_EQ(error, L"latest 응답에 package 정보가 없습니다.");
  }
}

// Versions become folder and file names: anything but a plain token counts as
// no package, and as no Setup on offer.
TEST(ReadReleaseManifest, VersionsArePlainTokens) {
  ReleaseManifest manifest;
  std::wstring error;
  const std::string valid = "1.0.20-hotfix_2+b." + std::string(46, 'x');
  for (const std::string& version :
       {std::string(R"(..\\..\\x)"), std::string("a/b"), std::string(""), std::string(".."), valid + "y"}) {
    const std::string answer = R"({"ok":true,"setupVersion":")" + version + R"(","packageJaVersion":")" + version +
                               R"(","packageJaUrl":"http://h/p.zip","packageJaSha256":")" + kDigestA + R"("})";
    EXPECT_FALSE(ReadReleaseManifest(answer, &manifest, &error)) << version;
    EXPECT_EQ(error, L"latest 응답에 package 정보가 없습니다.") << version;
    EXPECT_TRUE(manifest.setupVersion.empty()) << version;
  }
  ASSERT_EQ(valid.size(), 64u);
  const std::string answer = R"({"ok":true,"setupVersion":"a b",)" + kPackage + "}";
  ASSERT_TRUE(ReadReleaseManifest(answer, &manifest, &error));
  EXPECT_TRUE(manifest.setupVersion.empty());
  EXPECT_TRUE(ReadReleaseManifest(
      R"({"ok":true,"packageJaVersion":")" + valid + R"(","packageJaUrl":"u","packageJaSha256":")" + kDigestA + R"("})",
      &manifest, &error));
}

TEST(ReadReleaseManifest, ValuesAreStringsDecodedFromUtf8) {
  ReleaseManifest manifest;
  std::wstring error;
  ASSERT_TRUE(ReadReleaseManifest(
      "{\"ok\":true,\"packageJaVersion\": 5, \"packageJaUrl\":\"http://h/\xED\x8C\xA8\xED\x82\xA4\xEC\xA7\x80.zip\","
      "\"packageJaSha256\":\"" +
          kDigestA + "\"}",
      &manifest, &error));
  EXPECT_EQ(manifest.packageVersion, L"packageJaUrl");  // the next quoted string after the colon
  EXPECT_EQ(manifest.packageUrl, L"http://h/패키지.zip");
}

// The release server of the tests serves what tools/test.sh published there.
TEST(FetchReleaseManifest, AsksTheBuildsServer) {
  const std::wstring folder = TestServerRoot();
  ASSERT_FALSE(folder.empty()) << "the test release server is not running";
  const std::wstring answer = folder + L"\\appLatest";
  ReleaseManifest manifest;
  std::wstring error;
  ASSERT_TRUE(WriteFileBytes(answer, R"({"ok":true,"setupJaVersion":"1.0.20",)" + kPackage + "}"));
  ASSERT_TRUE(FetchReleaseManifest(&manifest, &error)) << error.c_str();
  EXPECT_EQ(manifest.setupVersion, L"1.0.20");
  EXPECT_EQ(manifest.packageUrl, L"http://h/p.zip");
  ::DeleteFileW(answer.c_str());
  EXPECT_FALSE(FetchReleaseManifest(&manifest, &error));
  EXPECT_EQ(error, L"서버가 오류를 반환했습니다. (HTTP 404)");
  EXPECT_FALSE(FetchReleaseManifest(nullptr, &error));
}

}  // namespace
