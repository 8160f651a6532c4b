// The HTTP client against the test release server (started by tools/test.sh).
#include <windows.h>
#include <gtest/gtest.h>
#include <winhttp.h>

#include <atomic>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/disk_space.h"
#include "build_config.h"
#include "net/download_progress.h"
#include "net/download_resume.h"
#include "net/http_client.h"
#include "net/resumable_download.h"
#include "support/setup_driver.h"
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

// Without a length, an answer stops at 16 MB and a download at the job's
// largest size, each with a message that says so.
TEST_F(HttpClientTest, AnEndlessBodyIsCutOffAtItsCap) {
  std::string received;
  std::wstring error;
  EXPECT_FALSE(FetchUrl(Url(L"/endless"), &received, nullptr, nullptr, &error));
  EXPECT_EQ(error, L"서버 응답이 너무 큽니다. (16 MB 초과)");
  EXPECT_TRUE(received.empty());
  DownloadJob job{Url(L"/endless"), folder_.File(L"endless.bin"), L"", nullptr};
  job.largest = 2 * 1024 * 1024;
  EXPECT_FALSE(DownloadFile(job, &error));
  EXPECT_EQ(error, L"서버가 보낸 파일이 너무 큽니다. (2 MB 초과)");
  EXPECT_FALSE(PathExists(job.target));
  const std::uint64_t kept = ReadFileBytes(job.target + L".partial").size();
  EXPECT_GT(kept, job.largest);
  EXPECT_LT(kept, job.largest + 4 * 1024 * 1024);  // the blocks of the moment it was cut, no more
}

TEST_F(HttpClientTest, DownloadReportsProgressAndCreatesTheFolderChain) {
  const std::string body = Served(L"package.zip", 1000000);
  const std::wstring target = folder_.File(L"a\\b\\c\\package.zip");
  std::wstring error;
  ASSERT_TRUE(DownloadFile(Url(L"/package.zip"), target, Recorder(), &error)) << error.c_str();
  EXPECT_EQ(ReadFileBytes(target), body);
  ASSERT_GE(reports_.size(), 2u);
  EXPECT_TRUE(reports_.front().second.ends_with(L" / 1.0 MB")) << reports_.front().second.c_str();
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
    EXPECT_EQ(reports_[i].first, -1);
    EXPECT_TRUE(reports_[i].second.ends_with(L" MB")) << reports_[i].second.c_str();
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
    // A budget well past the stall: what ends the fetch is the server's silence.
    EXPECT_FALSE(FetchUrl(Url(url), &received, &status, nullptr, &error, 30000)) << url;
    EXPECT_EQ(status, 200u);
    EXPECT_EQ(error, L"서버 응답이 중간에 끊겼습니다.");
    EXPECT_EQ(received, "untouched");
  }
}

// A cancel is heard while the server is silent, before a stall would end the
// transfer, and the bytes received stay for the next attempt.
TEST_F(HttpClientTest, ACancelStopsASilentDownloadAndKeepsItsPart) {
  Served(L"silent.bin", 200000);
  const std::wstring target = folder_.File(L"silent.bin");
  std::atomic<bool> cancel{false};
  // Once the half the server sends has arrived, while it says nothing more.
  std::thread canceller([&] {
    // Read without opening it: the download holds it without sharing.
    WaitUntil(
        [&] {
          WIN32_FILE_ATTRIBUTE_DATA data = {};
          return ::GetFileAttributesExW((target + L".partial").c_str(), GetFileExInfoStandard, &data) &&
                 data.nFileSizeLow == 100000u;
        },
        30000);
    cancel = true;
  });
  std::wstring error;
  EXPECT_FALSE(DownloadFile(DownloadJob{Url(L"/stall/silent.bin"), target, L"", nullptr, &cancel}, &error));
  canceller.join();
  // A stall would have ended it with another message, and after retries.
  EXPECT_EQ(error, L"다운로드를 취소했습니다.");
  EXPECT_EQ(ReadFileBytes(target + L".partial").size(), 100000u);
  EXPECT_FALSE(PathExists(target));
}

// A wrong address is not asked for again, and changes nothing.
TEST_F(HttpClientTest, AnErrorStatusLeavesTheTargetUntouched) {
  Served(L"package.zip", 1000);
  const std::wstring target = folder_.File(L"package.zip");
  ASSERT_TRUE(WriteFileBytes(target, "earlier"));
  std::wstring error;
  const size_t asked = TestServerRequests("/status/404/package.zip");
  EXPECT_FALSE(DownloadFile(Url(L"/status/404/package.zip"), target, nullptr, &error));
  EXPECT_EQ(error, L"서버가 오류를 반환했습니다. (HTTP 404)");
  EXPECT_EQ(TestServerRequests("/status/404/package.zip"), asked + 1);
  EXPECT_EQ(ReadFileBytes(target), "earlier");
  EXPECT_FALSE(PathExists(target + L".partial"));
}

TEST(DownloadResume, WhereToStartAndHowToTakeTheAnswer) {
  const PartialRecord saved = {L"http://h/p.zip", std::wstring(64, L'a'), 1000, L"\"v1\""};
  PartialRecord read;
  ASSERT_TRUE(ParsePartialRecord(FormatPartialRecord(saved), &read));
  EXPECT_EQ(read.url, saved.url);
  EXPECT_EQ(read.length, 1000u);
  EXPECT_EQ(read.validator, saved.validator);
  EXPECT_FALSE(ParsePartialRecord("u\nd\nx\nv\n", &read));

  EXPECT_EQ(ResumeOffset(saved, saved.url, std::wstring(64, L'A'), 400), 400u);
  EXPECT_EQ(ResumeOffset(saved, L"http://h/other.zip", saved.sha256, 400), 0u);
  EXPECT_EQ(ResumeOffset(saved, saved.url, std::wstring(64, L'b'), 400), 0u);
  EXPECT_EQ(ResumeOffset(saved, saved.url, saved.sha256, 1000), 0u);  // whole or more: not a part
  EXPECT_EQ(ResumeOffset({saved.url, saved.sha256, 1000, L""}, saved.url, saved.sha256, 400), 0u);

  EXPECT_EQ(ChooseValidator(L"\"e\"", L"Tue, 01 Dec 2026 10:00:00 GMT"), L"\"e\"");
  EXPECT_EQ(ChooseValidator(L"W/\"e\"", L"Tue, 01 Dec 2026 10:00:00 GMT"), L"Tue, 01 Dec 2026 10:00:00 GMT");

  EXPECT_EQ(JudgeAnswer(206, 400, 400), AnswerUse::Append);
  EXPECT_EQ(JudgeAnswer(206, 400, 0), AnswerUse::Discard);
  EXPECT_EQ(JudgeAnswer(206, 0, 0), AnswerUse::Discard);
  EXPECT_EQ(JudgeAnswer(200, 400, std::nullopt), AnswerUse::StartOver);
  EXPECT_EQ(JudgeAnswer(416, 400, std::nullopt), AnswerUse::Discard);
  EXPECT_EQ(JudgeAnswer(404, 400, std::nullopt), AnswerUse::Fail);
  EXPECT_EQ(ContentRangeStart(L"bytes 400-999/1000"), std::optional<std::uint64_t>(400));
  EXPECT_EQ(ContentRangeStart(L"items 400-999/1000"), std::nullopt);

  EXPECT_FALSE(IsWorthRetrying(404, 0));
  EXPECT_FALSE(IsWorthRetrying(0, ERROR_WINHTTP_NAME_NOT_RESOLVED));
  EXPECT_FALSE(IsWorthRetrying(0, ERROR_DISK_FULL));
  EXPECT_TRUE(IsWorthRetrying(503, 0));
  EXPECT_TRUE(IsWorthRetrying(200, ERROR_WINHTTP_CONNECTION_ERROR));
  EXPECT_EQ(RetryPauseMs(1) + RetryPauseMs(2) + RetryPauseMs(3), 14000u);
}

TEST(DownloadProgressText, SaysHowMuchHowFastAndHowLong) {
  constexpr std::uint64_t kMb = 1024 * 1024;
  EXPECT_EQ(DownloadProgressText(48 * kMb + kMb / 5, 200 * kMb, 1.9 * kMb),
            L"48.2 / 200.0 MB · 1.9 MB/s · 약 2분 남음");
  EXPECT_EQ(DownloadProgressText(10 * kMb, 0, 1.0 * kMb), L"10.0 MB");
  EXPECT_EQ(DownloadProgressText(10 * kMb, 20 * kMb, 0), L"10.0 / 20.0 MB");
  EXPECT_EQ(DownloadProgressText(20 * kMb, 20 * kMb, 2.0 * kMb), L"20.0 / 20.0 MB · 2.0 MB/s");
  EXPECT_EQ(NotEnoughSpaceText(L"C:\\", 200 * kMb, 80 * kMb),
            L"드라이브 C:\\에 공간이 부족합니다.\n약 120 MB가 더 필요합니다.");
  EXPECT_TRUE(IsDiskSpaceMessage(NotEnoughSpaceText(L"D:\\", 2, 1)));
  EXPECT_EQ(TimeLeftText(59), L"약 59초 남음");
  EXPECT_EQ(TimeLeftText(61), L"약 2분 남음");
  EXPECT_EQ(TimeLeftText(3600), L"약 1시간 남음");
  EXPECT_EQ(TimeLeftText(3 * 3600 + 5 * 60), L"약 3시간 5분 남음");
}

}  // namespace
