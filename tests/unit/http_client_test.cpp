// The HTTP client against the test release server (started by tools/test.sh).
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "build_config.h"
#include "net/http_client.h"
#include "support/temp_folder.h"
#include "support/test_server.h"

namespace {

using Reports = std::vector<std::pair<int, std::wstring>>;

std::wstring Url(const std::wstring& path) { return std::wstring(kReleaseBaseUrl) + path; }

std::string Served(const std::wstring& name, size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + i % 26);
  EXPECT_TRUE(WriteFileBytes(TestServerRoot() + L"\\" + name, bytes));
  return bytes;
}

class HttpClientTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(TestServerRoot().empty()) << "the test release server is not running"; }
  ProgressCallback Recorder() {
    return [this](int percent, const wchar_t* caption) { reports_.emplace_back(percent, caption); };
  }
  Reports reports_;
  TempFolder folder_;
};

TEST(SplitUrl, SchemesPortsAndPaths) {
  UrlParts parts;
  ASSERT_TRUE(SplitUrl(L"https://releases.example", &parts));
  EXPECT_EQ(parts.host, L"releases.example");
  EXPECT_EQ(parts.port, 443);
  EXPECT_TRUE(parts.secure);
  EXPECT_EQ(parts.path, L"/");
  ASSERT_TRUE(SplitUrl(L"http://h:8080/a/b?x=1&y=%20#f", &parts));
  EXPECT_EQ(parts.port, 8080);
  EXPECT_FALSE(parts.secure);
  EXPECT_EQ(parts.path, L"/a/b?x=1&y=%20#f");
  ASSERT_TRUE(SplitUrl(L"http://h:abc/", &parts));
  EXPECT_EQ(parts.port, 0);
  ASSERT_TRUE(SplitUrl(L"http://h:65617/", &parts));
  EXPECT_EQ(parts.port, 81);  // the low 16 bits
  for (const wchar_t* rejected : {L"HTTPS://h/", L"ftp://h/", L"https:///x", L"http://", L"", L"h/x"}) {
    EXPECT_FALSE(SplitUrl(rejected, &parts)) << rejected;
  }
  std::wstring error;
  EXPECT_FALSE(DownloadFile(L"ftp://h/x", L"x", nullptr, &error));
  EXPECT_EQ(error, L"다운로드 URL이 올바르지 않습니다.");
}

TEST_F(HttpClientTest, FetchReturnsTheBodyOrTheStatusMessage) {
  const std::string body = Served(L"answer.json", 3000);
  std::string received;
  std::uint32_t status = 0;
  std::wstring error;
  ASSERT_TRUE(FetchUrl(Url(L"/answer.json"), &received, &status, Recorder(), &error)) << error.c_str();
  EXPECT_EQ(received, body);
  EXPECT_EQ(status, 200u);
  ASSERT_FALSE(reports_.empty());
  EXPECT_EQ(reports_.back(), std::make_pair(100, std::wstring(L"다운로드 중...")));

  EXPECT_FALSE(FetchUrl(Url(L"/missing.json"), &received, &status, nullptr, &error));
  EXPECT_EQ(status, 404u);
  EXPECT_EQ(error, L"서버가 오류를 반환했습니다. (HTTP 404)");
  reports_.clear();
  EXPECT_TRUE(FetchUrl(Url(L"/no-length/answer.json"), &received, &status, Recorder(), &error));
  EXPECT_EQ(received, body);
  EXPECT_TRUE(reports_.empty());  // nothing to report without a length
}

TEST_F(HttpClientTest, AnEndlessAnswerIsCutOffInsteadOfFillingMemory) {
  std::string received;
  std::wstring error;
  EXPECT_FALSE(FetchUrl(Url(L"/endless"), &received, nullptr, nullptr, &error));
  EXPECT_EQ(error, L"서버 응답을 받지 못했습니다.");
  EXPECT_TRUE(received.empty());
}

TEST_F(HttpClientTest, DownloadReportsProgressAndCreatesTheFolderChain) {
  const std::string body = Served(L"package.zip", 1000000);
  const std::wstring target = folder_.File(L"a\\b\\c\\package.zip");
  std::wstring error;
  ASSERT_TRUE(DownloadFile(Url(L"/package.zip"), target, Recorder(), &error)) << error.c_str();
  EXPECT_EQ(ReadFileBytes(target), body);
  ASSERT_GE(reports_.size(), 2u);
  EXPECT_EQ(reports_.back(), std::make_pair(100, std::wstring(L"다운로드 완료")));
  int finals = 0;
  for (size_t i = 0; i < reports_.size(); ++i) {
    finals += reports_[i].second == L"다운로드 완료";
    if (i > 0) {
      EXPECT_GE(reports_[i].first, reports_[i - 1].first);
    }
    EXPECT_LE(reports_[i].first, 100);
  }
  EXPECT_EQ(finals, 1);

  reports_.clear();
  ASSERT_TRUE(DownloadFile(Url(L"/no-length/package.zip"), target, Recorder(), &error)) << error.c_str();
  for (size_t i = 0; i + 1 < reports_.size(); ++i) {
    EXPECT_EQ(reports_[i], std::make_pair(-1, std::wstring(L"다운로드 중...")));
  }
  EXPECT_EQ(reports_.back(), std::make_pair(100, std::wstring(L"다운로드 완료")));
}

TEST_F(HttpClientTest, TwoDownloadsAtOnceDoNotInterfere) {
  const std::string body = Served(L"slow.bin", 600000);
  bool results[2] = {};
  std::thread other(
      [&] { results[1] = DownloadFile(Url(L"/slow/slow.bin"), folder_.File(L"b.bin"), nullptr, nullptr); });
  results[0] = DownloadFile(Url(L"/slow/slow.bin"), folder_.File(L"a.bin"), nullptr, nullptr);
  other.join();
  EXPECT_TRUE(results[0] && results[1]);
  EXPECT_EQ(ReadFileBytes(folder_.File(L"a.bin")), body);
  EXPECT_EQ(ReadFileBytes(folder_.File(L"b.bin")), body);
}

// The server announces the whole file, sends half and resets the connection,
// or sends half and waits past the budget: part of an answer is never one.
TEST_F(HttpClientTest, ABodyCutMidWayFailsTheDownloadAndTheFetch) {
  const std::string body = Served(L"cut.bin", 20000);
  const std::wstring target = folder_.File(L"cut.bin");
  std::wstring error;
  EXPECT_FALSE(DownloadFile(Url(L"/cut/cut.bin"), target, nullptr, &error));
  EXPECT_EQ(error, L"다운로드 중 오류가 발생했습니다.");
  EXPECT_FALSE(PathExists(target));

  for (const wchar_t* url : {L"/cut/cut.bin", L"/stall/cut.bin"}) {
    std::string received = "untouched";
    std::uint32_t status = 0;
    EXPECT_FALSE(FetchUrl(Url(url), &received, &status, nullptr, &error, 1500)) << url;
    EXPECT_EQ(status, 200u);
    EXPECT_EQ(error, L"서버 응답이 중간에 끊겼습니다.");
    EXPECT_EQ(received, "untouched");
  }
}

TEST_F(HttpClientTest, AnErrorStatusLeavesTheTargetUntouched) {
  Served(L"package.zip", 1000);
  const std::wstring target = folder_.File(L"package.zip");
  ASSERT_TRUE(WriteFileBytes(target, "earlier"));
  std::wstring error;
  EXPECT_FALSE(DownloadFile(Url(L"/status/500/package.zip"), target, nullptr, &error));
  EXPECT_EQ(error, L"서버가 오류를 반환했습니다. (HTTP 500)");
  EXPECT_EQ(ReadFileBytes(target), "earlier");
}

}  // namespace
