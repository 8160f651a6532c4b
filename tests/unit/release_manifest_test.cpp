#include <gtest/gtest.h>

#include <windows.h>

#include "base/json_object.h"
#include "base/text_helpers.h"
#include "net/release_manifest.h"
#include "net/release_signature.h"
#include "package/signed_file_list.h"
#include "support/setup_driver.h"
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
  for (const std::string& answer : {R"({"ok":false,)" + kPackage + "}", R"({"OK":true,)" + kPackage + "}",
                                    R"({"ok":"true",)" + kPackage + "}", R"({"a":{"ok":true},)" + kPackage + "}"}) {
    EXPECT_FALSE(ReadReleaseManifest(answer, &manifest, &error)) << answer;
    EXPECT_EQ(error, L"최신 버전 정보가 아직 게시되지 않았거나 서버 오류입니다.");
  }
  EXPECT_FALSE(ReadReleaseManifest(R"({"ok":true})", &manifest, &error));
  EXPECT_EQ(error, L"latest 응답에 package 정보가 없습니다.");
  EXPECT_FALSE(ReadReleaseManifest(R"({"ok":true,"ok":true})", &manifest, &error));
  EXPECT_EQ(error, L"latest 응답을 읽지 못했습니다: 같은 이름이 두 번 있습니다: ok");
  for (const char* ok : {R"({"ok": true,)", R"({ "ok" : true ,)", "{\r\n\t\"ok\"\t:\ttrue,\n"}) {
    EXPECT_TRUE(ReadReleaseManifest(ok + kPackage + "}", &manifest, &error)) << ok;
  }
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

TEST(ReadReleaseManifest, ValuesAreStringsDecodedAsJsonWritesThem) {
  ReleaseManifest manifest;
  std::wstring error;
  ASSERT_TRUE(
      ReadReleaseManifest("{\"ok\":true,\"packageJaVersion\":\"2.\\u0034\",\"packageJaUrl\":\"http:\\/\\/h\\/"
                          "\xED\x8C\xA8\\ud0a4\xEC\xA7\x80.zip\","
                          "\"packageJaSha256\":\"" +
                              kDigestA + "\"}",
                          &manifest, &error))
      << error.c_str();
  EXPECT_EQ(manifest.packageVersion, L"2.4");
  EXPECT_EQ(manifest.packageUrl, L"http://h/패키지.zip");
  // A number is no version.
  EXPECT_FALSE(ReadReleaseManifest(
      R"({"ok":true,"packageJaVersion":5,"packageJaUrl":"u","packageJaSha256":")" + kDigestA + R"("})", &manifest,
      &error));
  EXPECT_EQ(error, L"latest 응답에 package 정보가 없습니다.");
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

// Answers and a release folder signed at build time with throwaway keys: a
// and b are the trusted ones, c is not.
class SignedReleaseTest : public testing::Test {
 protected:
  static std::wstring Fixture(const std::wstring& name) { return TestProgramFolder() + L"\\release-signing\\" + name; }
  static std::string Answer(const wchar_t* folder) { return ReadFileBytes(Fixture(folder) + L"\\appLatest"); }

  // Reads the answer as a keyed build would at `now` (one second before the
  // answer expires unless given); the error text, empty on success.
  std::wstring Read(const std::string& answer, std::uint64_t now = 0) {
    std::wstring error;
    if (ReadReleaseAnswer(answer, keys_, now != 0 ? now : Expires() - 1, &manifest_, &error)) return {};
    return error.empty() ? L"(no message)" : error;
  }
  std::uint64_t Expires() const {
    JsonMembers answer;
    JsonMembers signedPart;
    std::string payload;
    EXPECT_TRUE(ReadJsonObject(Answer(L"signed-a"), &answer, nullptr) &&
                DecodeLowerHex(JsonStringMember(answer, "signedPayload"), &payload) &&
                ReadJsonObject(payload, &signedPart, nullptr));
    return std::stoull(JsonStringMember(signedPart, "expires"));
  }
  // The answer with one hex digit of a member's value changed.
  static std::string Flipped(std::string answer, const std::string& member, std::size_t at) {
    const std::size_t value = answer.find("\"" + member + "\":\"") + member.size() + 4;
    answer[value + at] = answer[value + at] == '0' ? '1' : '0';
    return answer;
  }

  const std::vector<P256PublicKey> keys_ = ParseReleaseKeys(ReadFileBytes(Fixture(L"keys.txt")));
  ReleaseManifest manifest_;
};

TEST_F(SignedReleaseTest, AKeyedBuildTakesOnlyTheSignedPartOfACurrentAnswer) {
  ASSERT_EQ(keys_.size(), 2u);
  // The outer members say otherwise: only the signed part counts.
  std::string answer = Answer(L"signed-a");
  answer.replace(answer.find("2.4.0-signed"), 12, "9.9.9");
  EXPECT_EQ(Read(answer), L"");
  EXPECT_EQ(manifest_.packageVersion, L"2.4.0-signed");
  for (const wchar_t* second : {L"signed-b", L"signed-ab"}) EXPECT_EQ(Read(Answer(second)), L"") << second;
  // A build without keys reads the outer answer, as it always has.
  std::wstring error;
  ASSERT_TRUE(ReadReleaseAnswer(answer, {}, 0, &manifest_, &error));
  EXPECT_EQ(manifest_.packageVersion, L"9.9.9");
}

TEST_F(SignedReleaseTest, EveryOtherAnswerIsRefusedWithItsReason) {
  const std::string answer = Answer(L"signed-a");
  const std::wstring notVerified =
      L"latest 응답의 서명을 확인하지 못했습니다.\n공식 릴리스 서버의 응답이 아닐 수 있습니다.";
  EXPECT_EQ(Read(Flipped(answer, "signedPayload", 40)), notVerified);
  EXPECT_EQ(Read(Flipped(answer, "signatures", 70)), notVerified);
  EXPECT_EQ(Read(Answer(L"signed-c")), notVerified);
  std::string unsigned_ = answer;
  unsigned_.replace(unsigned_.find("\"signatures\""), 12, "\"signaturez\"");
  EXPECT_EQ(Read(unsigned_), L"latest 응답에 서명이 없습니다.");
  std::string upper = answer;
  upper[upper.find("\"signedPayload\":\"") + 17] = 'A';
  EXPECT_EQ(Read(upper), L"latest 응답의 서명 형식이 올바르지 않습니다.");
  std::string large = answer;
  large.insert(large.find("\"signedPayload\":\"") + 17, 2 * 64 * 1024, '0');
  EXPECT_EQ(Read(large), L"latest 응답의 서명된 정보가 너무 큽니다.");
  EXPECT_EQ(Read(answer, Expires()),
            L"latest 응답의 유효 기간이 지났습니다.\n컴퓨터의 날짜와 시간이 올바른지 확인해 주세요.");
}

TEST_F(SignedReleaseTest, AFileListCountsOnlyAsSignedAndWellFormed) {
  FileList files;
  std::wstring reason;
  ASSERT_TRUE(ReadSignedFileList(Fixture(L"release-folder"), keys_, &files, &reason)) << reason.c_str();
  EXPECT_EQ(files.files.size(), 6u);
  EXPECT_EQ(files.version, L"2.4.0");

  TempFolder copy;
  std::string list = ReadFileBytes(Fixture(L"release-folder\\package.sha256"));
  list[list.size() - 2] ^= 1;  // the last letter of the last path
  ASSERT_TRUE(WriteFileBytes(copy.File(L"package.sha256"), list));
  ASSERT_TRUE(::CopyFileW(Fixture(L"release-folder\\package.sha256.sig").c_str(),
                          copy.File(L"package.sha256.sig").c_str(), FALSE));
  EXPECT_FALSE(ReadSignedFileList(copy.path(), keys_, &files, &reason));
  EXPECT_EQ(reason, L"파일 목록의 서명을 확인하지 못했습니다.");

  const std::string digest(64, 'a');
  const std::string scripts =
      digest + "  Install.ps1\r\n" + digest + "  Uninstall.ps1\n" + digest + "  ImeInstallCommon.ps1\n";
  ASSERT_TRUE(ParseFileList("# orlinth-package-1 2.4.0\n" + scripts + digest + "  sub/dir/a.dll\n", &files, &reason));
  EXPECT_EQ(files.files.back().path, L"sub\\dir\\a.dll");
  for (const char* bad : {"../x", "a//b", "/x", "C:x", "a\\b", "."}) {
    EXPECT_FALSE(ParseFileList("# orlinth-package-1 2.4.0\n" + scripts + digest + "  " + bad + "\n", &files, &reason))
        << bad;
  }
  for (const std::string& text :
       {"# orlinth-package-1 2.4.0\n" + scripts.substr(0, scripts.size() - 1), "# orlinth-package-2 2.4.0\n" + scripts,
        "# orlinth-package-1 ..\n" + scripts, "# orlinth-package-1 2.4.0\n" + scripts + digest + "  install.ps1\n",
        "# orlinth-package-1 2.4.0\n" + scripts.substr(scripts.find('\n') + 1)}) {
    EXPECT_FALSE(ParseFileList(text, &files, &reason)) << text;
  }
}

}  // namespace
