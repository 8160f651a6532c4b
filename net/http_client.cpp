#include "net/http_client.h"

#include <windows.h>
#include <winhttp.h>

#include <chrono>
#include <condition_variable>
#include <cwchar>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "base/disk_space.h"
#include "base/failure.h"
#include "base/file_helpers.h"
#include "base/path_helpers.h"
#include "base/setup_version.h"
#include "base/win_handle.h"
#include "build_config.h"
#include "net/download_progress.h"
#include "net/download_resume.h"
#include "net/proxy_route.h"
#include "net/winhttp_api.h"

namespace {

constexpr DWORD kDownloadBlock = 256 * 1024;

std::wstring StatusMessage(std::uint32_t status) {
  if (status == HTTP_STATUS_PROXY_AUTH_REQ) {
    return L"프록시 서버가 로그인을 요구합니다.\n네트워크 관리자에게 프록시 설정을 확인해 주세요.";
  }
  return L"서버가 오류를 반환했습니다. (HTTP " + std::to_wstring(status) + L")";
}

int Percent(std::uint64_t done, std::uint64_t total) {
  const std::uint64_t percent = done * 100 / total;
  return percent > 100 ? 100 : static_cast<int>(percent);
}

// How long the next wait may take: never longer than a stall may last, and
// within the request's whole budget when it has one.
class Patience {
 public:
  explicit Patience(std::uint64_t budgetMs) : budgetMs_(budgetMs), start_(::GetTickCount64()) {}

  // 0 once the budget is spent.
  DWORD NextWaitMs() const {
    if (budgetMs_ == 0) return kStallTimeoutMs;
    const std::uint64_t spent = ::GetTickCount64() - start_;
    if (spent >= budgetMs_) return 0;
    const std::uint64_t left = budgetMs_ - spent;
    return left < kStallTimeoutMs ? static_cast<DWORD>(left) : kStallTimeoutMs;
  }

 private:
  std::uint64_t budgetMs_;
  std::uint64_t start_;
};

// One request's handles, closed request first, then connection, then session.
struct Exchange {
  explicit Exchange(std::uint64_t budgetMs) : patience(budgetMs) {}

  UniqueInternet session;
  UniqueInternet connection;
  UniqueInternet request;
  std::uint32_t status = 0;
  Patience patience;

  // Bounds the next blocking call: resolving, connecting, sending, the wait
  // for the answer's headers and every wait for bytes. False when no time is
  // left.
  bool Limit() {
    DWORD wait = patience.NextWaitMs();
    const WinHttp& api = LoadWinHttp();
    const int each = static_cast<int>(wait);
    return wait != 0 && api.setTimeouts != nullptr && api.setOption != nullptr &&
           api.setTimeouts(request.get(), each, each, each, each) &&
           api.setOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &wait, sizeof(wait));
  }

  void Close() {
    request.reset();
    connection.reset();
    session.reset();
  }
};

DWORD QueryNumber(const WinHttp& api, HINTERNET request, DWORD query) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  api.queryHeaders(request, query | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX, &value, &size,
                   WINHTTP_NO_HEADER_INDEX);
  return value;
}

std::wstring QueryText(const WinHttp& api, HINTERNET request, DWORD query) {
  DWORD size = 0;
  api.queryHeaders(request, query, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &size,
                   WINHTTP_NO_HEADER_INDEX);
  if (size == 0) return {};
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  if (!api.queryHeaders(request, query, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &size, WINHTTP_NO_HEADER_INDEX)) {
    return {};
  }
  text.resize(size / sizeof(wchar_t));
  return text;
}

// Sends the request and waits for the answer's headers, each phase within
// what is left of the budget.
bool SendAndAwait(const WinHttp& api, Exchange* exchange, const std::wstring& headers) {
  return exchange->Limit() &&
         api.sendRequest(exchange->request.get(), headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str(),
                         headers.empty() ? 0 : static_cast<DWORD>(-1L), WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
         exchange->Limit() && api.receiveResponse(exchange->request.get(), nullptr);
}

// A proxy that asks for the signed-in user's own logon (Negotiate or NTLM)
// gets it, once; any other sign-in it asks for is left to the message.
bool SignInToProxy(const WinHttp& api, Exchange* exchange, const std::wstring& headers) {
  DWORD supported = 0;
  DWORD first = 0;
  DWORD target = 0;
  if (api.queryAuthSchemes == nullptr || api.setCredentials == nullptr ||
      !api.queryAuthSchemes(exchange->request.get(), &supported, &first, &target)) {
    return false;
  }
  const DWORD scheme = (supported & WINHTTP_AUTH_SCHEME_NEGOTIATE) != 0 ? WINHTTP_AUTH_SCHEME_NEGOTIATE
                       : (supported & WINHTTP_AUTH_SCHEME_NTLM) != 0    ? WINHTTP_AUTH_SCHEME_NTLM
                                                                        : 0;
  DWORD policy = WINHTTP_AUTOLOGON_SECURITY_LEVEL_LOW;
  return scheme != 0 &&
         api.setOption(exchange->request.get(), WINHTTP_OPTION_AUTOLOGON_POLICY, &policy, sizeof(policy)) &&
         api.setCredentials(exchange->request.get(), WINHTTP_AUTH_TARGET_PROXY, scheme, nullptr, nullptr, nullptr) &&
         SendAndAwait(api, exchange, headers);
}

// Opens (through the proxy the user's browser would take), connects, sends
// (with any extra header lines) and reads the status.
bool SendRequest(const std::wstring& address, const UrlParts& url, Exchange* exchange, std::wstring* errorText,
                 const std::wstring& headers = {}) {
  const WinHttp& api = LoadWinHttp();
  const std::wstring agent = std::wstring(L"OrlinthSetup/") + kSetupVersion;
  const ProxyRoute route = RouteFor(address);
  // A session per route: set on a session later, a proxy may be ignored.
  if (api.open != nullptr) {
    const bool named = route.accessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY;
    exchange->session.reset(
        api.open(agent.c_str(), route.accessType, named ? route.proxy.c_str() : WINHTTP_NO_PROXY_NAME,
                 named && !route.bypass.empty() ? route.bypass.c_str() : WINHTTP_NO_PROXY_BYPASS, 0));
  }
  if (!exchange->session) return FailWithCode(errorText, L"WinHttp 세션을 열지 못했습니다.", ::GetLastError());
  exchange->connection.reset(api.connect(exchange->session.get(), url.host.c_str(), url.port, 0));
  if (!exchange->connection) return FailWithCode(errorText, L"서버에 연결하지 못했습니다.", ::GetLastError());
  exchange->request.reset(api.openRequest(exchange->connection.get(), L"GET", url.path.c_str(), nullptr,
                                          WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                          url.secure ? WINHTTP_FLAG_SECURE : 0));
  if (!exchange->request) return FailWithCode(errorText, L"HTTP 요청을 만들지 못했습니다.", ::GetLastError());
  if (!SendAndAwait(api, exchange, headers)) {
    return FailWithCode(errorText, L"서버 응답을 받지 못했습니다.", ::GetLastError());
  }
  exchange->status = QueryNumber(api, exchange->request.get(), WINHTTP_QUERY_STATUS_CODE);
  if (exchange->status == HTTP_STATUS_PROXY_AUTH_REQ && SignInToProxy(api, exchange, headers)) {
    exchange->status = QueryNumber(api, exchange->request.get(), WINHTTP_QUERY_STATUS_CODE);
  }
  return true;
}

bool IsSuccess(std::uint32_t status) { return status >= 200 && status <= 299; }

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
  if (!SendRequest(url, parts, &exchange, errorText)) return false;
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
    if (received.size() + available > kLargestFetchedAnswer)
      return FailWithMessage(errorText, L"서버 응답을 받지 못했습니다.");
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

namespace {

std::wstring PartialPath(const DownloadJob& job) { return job.target + L".partial"; }
std::wstring RecordPath(const DownloadJob& job) { return job.target + L".partial.info"; }

struct Attempt {
  bool whole = false;
  std::uint32_t status = 0;
  DWORD error = ERROR_SUCCESS;
  bool said = false;  // the message is written already
};

bool IsDiskFull(DWORD error) { return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL; }

// The blocks of an answer as a reader thread receives them. The download
// waits on it, never on the network itself, so that a cancel is heard at
// once even while the server is silent; an abandoned reader ends on its own.
struct ReceivedBlocks {
  std::mutex lock;
  std::condition_variable changed;
  std::deque<std::string> blocks;
  bool ended = false;      // no more blocks will come
  bool bodyEnded = false;  // the server ended the body
  DWORD error = ERROR_SUCCESS;
  bool abandoned = false;  // nobody reads any more
};

void ReadAnswer(const std::shared_ptr<Exchange>& exchange, const std::shared_ptr<ReceivedBlocks>& received) {
  const WinHttp& api = LoadWinHttp();
  bool bodyEnded = false;
  DWORD error = ERROR_SUCCESS;
  for (;;) {
    DWORD available = 0;
    if (!exchange->Limit() || !api.queryDataAvailable(exchange->request.get(), &available)) {
      error = ::GetLastError();
      break;
    }
    if (available == 0) {
      bodyEnded = true;
      break;
    }
    std::string block(available < kDownloadBlock ? available : kDownloadBlock, '\0');
    DWORD read = 0;
    if (!api.readData(exchange->request.get(), block.data(), static_cast<DWORD>(block.size()), &read) || read == 0) {
      error = ::GetLastError();
      break;
    }
    block.resize(read);
    const std::lock_guard<std::mutex> hold(received->lock);
    if (received->abandoned) return;
    received->blocks.push_back(std::move(block));
    received->changed.notify_all();
  }
  const std::lock_guard<std::mutex> hold(received->lock);
  received->ended = true;
  received->bodyEnded = bodyEnded;
  received->error = error;
  received->changed.notify_all();
}

bool IsCancelled(const DownloadJob& job) { return job.cancel != nullptr && job.cancel->load(); }

// Writes the answer into the partial file from `offset` on, reporting as it goes.
Attempt ReceiveInto(const std::shared_ptr<Exchange>& exchange, HANDLE partial, std::uint64_t& offset,
                    const DownloadJob& job, std::uint64_t total) {
  auto received = std::make_shared<ReceivedBlocks>();
  std::thread(ReadAnswer, exchange, received).detach();
  DownloadMeter meter(offset);
  for (;;) {
    std::deque<std::string> blocks;
    bool ended = false;
    {
      std::unique_lock<std::mutex> hold(received->lock);
      received->changed.wait_for(hold, std::chrono::milliseconds(100),
                                 [&] { return received->ended || !received->blocks.empty(); });
      if (IsCancelled(job)) {
        received->abandoned = true;
        return {false, exchange->status, ERROR_CANCELLED};
      }
      blocks.swap(received->blocks);
      ended = received->ended;
    }
    for (const std::string& block : blocks) {
      DWORD stored = 0;
      if (!::WriteFile(partial, block.data(), static_cast<DWORD>(block.size()), &stored, nullptr) ||
          stored != block.size()) {
        const DWORD error = ::GetLastError();
        const std::lock_guard<std::mutex> hold(received->lock);
        received->abandoned = true;
        return {false, exchange->status, error};
      }
      offset += block.size();
    }
    if (job.progress && !blocks.empty() && meter.Due()) {
      job.progress(total != 0 ? Percent(offset, total) : -1,
                   DownloadProgressText(offset, total, meter.BytesPerSecond(offset)).c_str());
    }
    if (ended) {
      // The server's end of the body: whole unless it announced more.
      if (received->bodyEnded) return {total == 0 || offset == total, exchange->status, ERROR_HANDLE_EOF};
      return {false, exchange->status, received->error};
    }
  }
}

// One request, from `offset` when the partial file can be continued.
Attempt TransferOnce(const DownloadJob& job, const UrlParts& url, PartialRecord& record, std::uint64_t& offset,
                     std::wstring* errorText) {
  std::wstring headers;
  if (offset > 0) {
    headers = L"Range: bytes=" + std::to_wstring(offset) + L"-\r\nIf-Range: " + record.validator + L"\r\n";
  }
  const auto exchangeHeld = std::make_shared<Exchange>(0);
  Exchange& exchange = *exchangeHeld;
  if (!SendRequest(job.url, url, &exchange, errorText, headers)) return {false, 0, ::GetLastError()};
  const WinHttp& api = LoadWinHttp();
  const HINTERNET request = exchange.request.get();
  switch (
      JudgeAnswer(exchange.status, offset, ContentRangeStart(QueryText(api, request, WINHTTP_QUERY_CONTENT_RANGE)))) {
    case AnswerUse::Append:
      break;
    case AnswerUse::StartOver:
      offset = 0;
      record.length = QueryNumber(api, request, WINHTTP_QUERY_CONTENT_LENGTH);
      record.validator = ChooseValidator(QueryText(api, request, WINHTTP_QUERY_ETAG),
                                         QueryText(api, request, WINHTTP_QUERY_LAST_MODIFIED));
      WriteWholeFile(RecordPath(job), FormatPartialRecord(record));
      break;
    case AnswerUse::Discard:
      offset = 0;
      record.validator.clear();
      ::DeleteFileW(PartialPath(job).c_str());
      return {false, exchange.status, ERROR_RETRY};
    case AnswerUse::Fail:
      return {false, exchange.status, ERROR_SUCCESS};
  }
  if (record.length > offset && !HasRoomFor(FolderOfPath(job.target), record.length - offset, errorText)) {
    return {false, exchange.status, ERROR_DISK_FULL, true};
  }
  UniqueHandle partial(
      ::CreateFileW(PartialPath(job).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER at = {};
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!partial || !::SetFilePointerEx(partial.get(), at, nullptr, FILE_BEGIN) || !::SetEndOfFile(partial.get())) {
    return {false, exchange.status, ::GetLastError()};
  }
  return ReceiveInto(exchangeHeld, partial.get(), offset, job, record.length);
}

std::uint64_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void PauseUnlessCancelled(const DownloadJob& job, DWORD pauseMs) {
  for (DWORD waited = 0; waited < pauseMs && !(job.cancel != nullptr && job.cancel->load()); waited += 100) {
    ::Sleep(100);
  }
}

bool DownloadFailure(const Attempt& last, std::wstring* errorText) {
  if (last.said) return false;
  if (last.error == ERROR_CANCELLED) return FailWithMessage(errorText, L"다운로드를 취소했습니다.");
  if (last.status != 0 && !IsSuccess(last.status) && last.status != 416) {
    return FailWithMessage(errorText, StatusMessage(last.status));
  }
  if (IsDiskFull(last.error))
    return FailWithCode(errorText, L"디스크 공간이 부족해 내려받은 파일을 저장하지 못했습니다.", last.error);
  return FailWithCode(errorText, L"다운로드 중 오류가 발생했습니다.", last.error);
}

}  // namespace

bool DownloadFile(const DownloadJob& job, std::wstring* errorText) {
  UrlParts parts;
  if (!SplitUrl(job.url, &parts)) return FailWithMessage(errorText, L"다운로드 URL이 올바르지 않습니다.");
  const std::wstring folder = FolderOfPath(job.target);
  if (!folder.empty() && !EnsureFolder(folder)) return FailWithMessage(errorText, L"저장 폴더를 만들 수 없습니다.");

  PartialRecord saved;
  const bool known = ParsePartialRecord(ReadSmallFile(RecordPath(job), 16 * 1024), &saved);
  std::uint64_t offset = known ? ResumeOffset(saved, job.url, job.sha256, FileSize(PartialPath(job))) : 0;
  PartialRecord record = offset > 0 ? saved : PartialRecord{job.url, job.sha256, 0, L""};
  Attempt last;
  constexpr int kAttempts = 3;
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    last = TransferOnce(job, parts, record, offset, errorText);
    if (last.whole) {
      if (!::MoveFileExW(PartialPath(job).c_str(), job.target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return FailWithCode(errorText, L"파일을 만들 수 없습니다.", ::GetLastError());
      }
      ::DeleteFileW(RecordPath(job).c_str());
      if (job.progress) job.progress(100, L"다운로드 완료");
      return true;
    }
    if (!IsWorthRetrying(last.status, last.error)) break;
    // A part that did not fit is asked for again at once, from the start.
    if (last.error != ERROR_RETRY && attempt < kAttempts) PauseUnlessCancelled(job, RetryPauseMs(attempt));
    if (job.cancel != nullptr && job.cancel->load()) {
      last.error = ERROR_CANCELLED;
      break;
    }
  }
  // A wrong address keeps nothing; a cut keeps its bytes for the next run.
  if (last.status >= 400 && last.status < 500) {
    ::DeleteFileW(PartialPath(job).c_str());
    ::DeleteFileW(RecordPath(job).c_str());
  }
  return DownloadFailure(last, errorText);
}
