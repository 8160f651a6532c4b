#include "net/proxy_route.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "base/win_handle.h"
#include "base/work_report.h"
#include "net/winhttp_api.h"

namespace {

// The longest a configuration script or its detection may take for one URL.
constexpr DWORD kLongestScriptWaitMs = 5000;
constexpr ULONGLONG kCancelPollMs = 50;

// WinHTTP hands out these texts for the caller to free.
std::wstring TakeText(LPWSTR text) {
  if (text == nullptr) return {};
  std::wstring value = text;
  ::GlobalFree(text);
  return value;
}

struct UserSettings {
  bool autoDetect = false;
  std::wstring scriptUrl;
  std::wstring proxy;
  std::wstring bypass;
};

// SYSTEM has no user of its own whose settings could count.
bool IsLocalSystem() {
  UniqueHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return false;
  union {
    TOKEN_USER user;
    BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  } buffer = {};
  DWORD size = 0;
  return ::GetTokenInformation(token.get(), TokenUser, &buffer, sizeof(buffer), &size) &&
         ::IsWellKnownSid(buffer.user.User.Sid, WinLocalSystemSid);
}

UserSettings ReadUserSettings() {
  const WinHttp& api = LoadWinHttp();
  if (IsLocalSystem()) return {};
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config = {};
  UserSettings settings;
  if (api.getUserProxyConfig == nullptr || !api.getUserProxyConfig(&config)) return settings;
  settings.autoDetect = config.fAutoDetect != FALSE;
  settings.scriptUrl = TakeText(config.lpszAutoConfigUrl);
  settings.proxy = TakeText(config.lpszProxy);
  settings.bypass = TakeText(config.lpszProxyBypass);
  return settings;
}

// What the configuration script says for the URL; nothing when it cannot be
// had or run.
std::optional<ProxyRoute> AskScript(const UserSettings& settings, const std::wstring& url) {
  const WinHttp& api = LoadWinHttp();
  if (api.open == nullptr || api.getProxyForUrl == nullptr) return std::nullopt;
  UniqueInternet session(
      api.open(L"OrlinthSetup", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) return std::nullopt;
  WINHTTP_AUTOPROXY_OPTIONS options = {};
  if (!settings.scriptUrl.empty()) {
    options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = settings.scriptUrl.c_str();
  }
  if (settings.autoDetect) {
    options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
    options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
  }
  options.fAutoLogonIfChallenged = TRUE;
  WINHTTP_PROXY_INFO info = {};
  // Out of process where the system has the service: a script is the
  // network's, and must not run inside an elevated Setup.
  options.dwFlags |= WINHTTP_AUTOPROXY_RUN_OUTPROCESS_ONLY;
  bool asked = api.getProxyForUrl(session.get(), url.c_str(), &options, &info) != FALSE;
  if (!asked && ::GetLastError() == ERROR_INVALID_PARAMETER) {
    options.dwFlags &= ~static_cast<DWORD>(WINHTTP_AUTOPROXY_RUN_OUTPROCESS_ONLY);
    asked = api.getProxyForUrl(session.get(), url.c_str(), &options, &info) != FALSE;
  }
  if (!asked) return std::nullopt;
  ProxyRoute route;
  route.proxy = TakeText(info.lpszProxy);
  route.bypass = TakeText(info.lpszProxyBypass);
  route.accessType = info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && !route.proxy.empty()
                         ? WINHTTP_ACCESS_TYPE_NAMED_PROXY
                         : WINHTTP_ACCESS_TYPE_NO_PROXY;
  return route;
}

// What a script asked on a thread of its own comes to; shared with the caller,
// which may have stopped waiting.
struct ScriptAnswer {
  std::mutex lock;
  std::condition_variable changed;
  bool answered = false;
  std::optional<ProxyRoute> route;
};

// The script's answer, unless it takes longer than `waitMs` or the cancel is
// set first: a script runs whatever its network put in it, a loop included,
// and its thread is then left to it.
std::optional<ProxyRoute> AskScriptWithin(const UserSettings& settings, const std::wstring& url, DWORD waitMs,
                                          const std::atomic<bool>* cancel, bool* gaveUp) {
  auto answer = std::make_shared<ScriptAnswer>();
  std::thread([answer, settings, url] {
    std::optional<ProxyRoute> route = AskScript(settings, url);
    const std::lock_guard<std::mutex> hold(answer->lock);
    answer->route = std::move(route);
    answer->answered = true;
    answer->changed.notify_all();
  }).detach();
  const ULONGLONG deadline = ::GetTickCount64() + waitMs;
  std::unique_lock<std::mutex> hold(answer->lock);
  for (ULONGLONG now = ::GetTickCount64(); !answer->answered; now = ::GetTickCount64()) {
    if ((cancel != nullptr && cancel->load()) || now >= deadline) {
      *gaveUp = true;
      return std::nullopt;
    }
    answer->changed.wait_for(hold, std::chrono::milliseconds(std::min<ULONGLONG>(kCancelPollMs, deadline - now)));
  }
  return answer->route;
}

ProxyRoute WorkOutRoute(const std::wstring& url, DWORD waitMs, const std::atomic<bool>* cancel) {
  const UserSettings settings = ReadUserSettings();
  if (settings.autoDetect || !settings.scriptUrl.empty()) {
    bool gaveUp = false;
    const DWORD wait = std::min(waitMs, kLongestScriptWaitMs);
    if (const std::optional<ProxyRoute> scripted = AskScriptWithin(settings, url, wait, cancel, &gaveUp)) {
      return *scripted;
    }
    if (gaveUp) ReportLogLine(L"자동 프록시 설정이 제때 답하지 않아 이 주소에는 쓰지 않습니다: " + url);
  }
  if (!settings.proxy.empty()) return {WINHTTP_ACCESS_TYPE_NAMED_PROXY, settings.proxy, settings.bypass};
  return {WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, L"", L""};
}

}  // namespace

ProxyRoute RouteFor(const std::wstring& url, DWORD waitMs, const std::atomic<bool>* cancel) {
  static std::mutex lock;
  static std::map<std::wstring, ProxyRoute> known;
  {
    const std::lock_guard<std::mutex> hold(lock);
    const auto found = known.find(url);
    if (found != known.end()) return found->second;
  }
  // Worked out outside the lock: a script may take a while to fetch.
  const ProxyRoute route = WorkOutRoute(url, waitMs, cancel);
  // A lookup the user stopped says nothing about the next one.
  if (cancel != nullptr && cancel->load()) return route;
  const std::lock_guard<std::mutex> hold(lock);
  known.emplace(url, route);
  return route;
}
