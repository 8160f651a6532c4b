#include "net/http_client.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cwchar>
#include <memory>
#include <mutex>
#include <thread>

#include "base/failure.h"
#include "net/http_exchange.h"

namespace {

std::uint16_t ParsePort(const std::wstring& text) {
  return static_cast<std::uint16_t>(std::wcstoul(text.c_str(), nullptr, 10));
}

}  // namespace

bool SplitUrl(const std::wstring& url, UrlParts* parts) {
  UrlParts result;
  std::wstring rest;
  if (url.rfind(L"https://", 0) == 0) {
    rest = url.substr(8);
  } else if (url.rfind(L"http://", 0) == 0) {
    rest = url.substr(7);
    result.secure = false;
    result.port = 80;
  } else {
    return false;
  }
  const size_t slash = rest.find(L'/');
  const std::wstring hostPart = rest.substr(0, slash);
  result.path = slash == std::wstring::npos ? L"/" : rest.substr(slash);
  const size_t colon = hostPart.find(L':');
  result.host = hostPart.substr(0, colon);
  if (colon != std::wstring::npos) result.port = ParsePort(hostPart.substr(colon + 1));
  if (result.host.empty() || result.path.empty()) return false;
  if (parts) *parts = result;
  return true;
}

namespace {

bool FetchNow(const std::wstring& url, std::string* body, std::uint32_t* status, const ProgressCallback& progress,
              std::wstring* errorText, std::uint64_t budgetMs) {
  UrlParts parts;
  if (!SplitUrl(url, &parts)) return FailWithMessage(errorText, L"다운로드 URL이 올바르지 않습니다.");
  Exchange exchange(budgetMs);
  // An answer says what is published now: a caching proxy must ask the
  // server, not hand out what it kept.
  if (!SendRequest(url, parts, &exchange, errorText, L"Cache-Control: no-cache\r\nPragma: no-cache\r\n")) return false;
  if (status) *status = exchange.status;
  const WinHttp& api = LoadWinHttp();
  const DWORD length = QueryNumber(api, exchange.request.get(), WINHTTP_QUERY_CONTENT_LENGTH);

  std::string received;
  bool ended = false;  // the server said the body is complete
  for (;;) {
    DWORD available = 0;
    if (!exchange.Limit() || !api.queryDataAvailable(exchange.request.get(), &available)) break;
    if (available == 0) {
      ended = true;
      break;
    }
    if (received.size() + available > kLargestFetchedAnswer) {
      return FailWithMessage(errorText, L"서버 응답이 너무 큽니다. (16 MB 초과)");
    }
    const size_t before = received.size();
    received.resize(before + available);
    DWORD read = 0;
    if (!api.readData(exchange.request.get(), received.data() + before, available, &read) || read == 0) {
      received.resize(before);
      break;
    }
    received.resize(before + read);
    if (progress && length != 0) progress(Percent(received.size(), length), L"다운로드 중...");
  }
  const std::uint32_t answerStatus = exchange.status;
  exchange.Close();
  if (!IsSuccess(answerStatus)) return FailWithMessage(errorText, StatusMessage(answerStatus));
  // Part of an answer is no answer: a cut one could still parse as valid.
  if (!ended || received.size() < length) return FailWithMessage(errorText, L"서버 응답이 중간에 끊겼습니다.");
  if (body) *body = std::move(received);
  return true;
}

// What a fetch on its own thread came to, shared with the caller that may
// have stopped waiting for it.
struct FetchOutcome {
  std::mutex lock;
  std::condition_variable finished;
  bool done = false;
  bool ok = false;
  std::string body;
  std::uint32_t status = 0;
  std::wstring error;
};

}  // namespace

// A budget holds for the whole request, whatever phase a slow network spends
// it in: the request runs on a thread of its own, and the caller stops waiting
// when the budget is spent; a late answer is dropped.
bool FetchUrl(const std::wstring& url, std::string* body, std::uint32_t* status, const ProgressCallback& progress,
              std::wstring* errorText, std::uint64_t budgetMs) {
  if (budgetMs == 0) return FetchNow(url, body, status, progress, errorText, 0);
  auto outcome = std::make_shared<FetchOutcome>();
  std::thread([outcome, url, budgetMs] {
    std::string fetched;
    std::uint32_t answered = 0;
    std::wstring error;
    const bool ok = FetchNow(url, &fetched, &answered, nullptr, &error, budgetMs);
    const std::lock_guard<std::mutex> hold(outcome->lock);
    outcome->ok = ok;
    outcome->body = std::move(fetched);
    outcome->status = answered;
    outcome->error = std::move(error);
    outcome->done = true;
    outcome->finished.notify_all();
  }).detach();
  std::unique_lock<std::mutex> hold(outcome->lock);
  // A little past the budget, so that an answer the request itself cut off
  // at its end is told as such.
  constexpr std::uint64_t kSlackMs = 250;
  if (!outcome->finished.wait_for(hold, std::chrono::milliseconds(budgetMs + kSlackMs),
                                  [&] { return outcome->done; })) {
    return FailWithMessage(errorText, L"서버 응답을 받지 못했습니다.");
  }
  if (status) *status = outcome->status;
  if (!outcome->ok) return FailWithMessage(errorText, outcome->error);
  if (body) *body = std::move(outcome->body);
  return true;
}
