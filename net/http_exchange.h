// One HTTP request as the client and the downloads make it: its handles, its
// time budget, and sending it through the route the user's browser would take.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "net/http_client.h"
#include "net/winhttp_api.h"

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
  const std::atomic<bool>* cancel = nullptr;  // set: a download the user may stop

  // Bounds the next blocking call: resolving, connecting, sending, the wait
  // for the answer's headers and every wait for bytes. False when no time is
  // left. Setting the timeouts costs more than a small read, so they are set
  // again only when the wait has shrunk by a step (a budget running out);
  // without a budget, once.
  bool Limit() {
    DWORD wait = patience.NextWaitMs();
    if (wait == 0) return false;
    if (setWaitMs_ != 0 && wait <= setWaitMs_ && setWaitMs_ - wait < kWaitStepMs) return true;
    const WinHttp& api = LoadWinHttp();
    const int each = static_cast<int>(wait);
    const bool set = api.setTimeouts != nullptr && api.setOption != nullptr &&
                     api.setTimeouts(request.get(), each, each, each, each) &&
                     api.setOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &wait, sizeof(wait));
    setWaitMs_ = set ? wait : 0;
    return set;
  }

  void Close() {
    request.reset();
    connection.reset();
    session.reset();
  }

 private:
  static constexpr DWORD kWaitStepMs = 100;
  DWORD setWaitMs_ = 0;  // what the request's timeouts were last set to; 0: not yet
};

// The message for an answer with this status (a sign-in included).
std::wstring StatusMessage(std::uint32_t status);

// A proxy's (407) or the server's (401) request for a sign-in.
bool IsSignInStatus(std::uint32_t status);

bool IsSuccess(std::uint32_t status);

// done of total as a percentage, at most 100; total must not be 0.
int Percent(std::uint64_t done, std::uint64_t total);

// A numeric or text header of the answer; 0 or empty when it has none.
DWORD QueryNumber(const WinHttp& api, HINTERNET request, DWORD query);
std::wstring QueryText(const WinHttp& api, HINTERNET request, DWORD query);

// Opens (through the proxy the user's browser would take), connects, sends
// (with any extra header lines) and reads the status. A proxy that asks for
// the user's own logon gets it once.
bool SendRequest(const std::wstring& address, const UrlParts& url, Exchange* exchange, std::wstring* errorText,
                 const std::wstring& headers = {});
