#include "net/proxy_route.h"

#include <map>
#include <mutex>
#include <optional>

#include "base/win_handle.h"
#include "net/winhttp_api.h"

namespace {

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
  if (!api.getProxyForUrl(session.get(), url.c_str(), &options, &info)) return std::nullopt;
  ProxyRoute route;
  route.proxy = TakeText(info.lpszProxy);
  route.bypass = TakeText(info.lpszProxyBypass);
  route.accessType = info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && !route.proxy.empty()
                         ? WINHTTP_ACCESS_TYPE_NAMED_PROXY
                         : WINHTTP_ACCESS_TYPE_NO_PROXY;
  return route;
}

ProxyRoute WorkOutRoute(const std::wstring& url) {
  const UserSettings settings = ReadUserSettings();
  if (settings.autoDetect || !settings.scriptUrl.empty()) {
    if (const std::optional<ProxyRoute> scripted = AskScript(settings, url)) return *scripted;
  }
  if (!settings.proxy.empty()) return {WINHTTP_ACCESS_TYPE_NAMED_PROXY, settings.proxy, settings.bypass};
  return {WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, L"", L""};
}

}  // namespace

ProxyRoute RouteFor(const std::wstring& url) {
  static std::mutex lock;
  static std::map<std::wstring, ProxyRoute> known;
  {
    const std::lock_guard<std::mutex> hold(lock);
    const auto found = known.find(url);
    if (found != known.end()) return found->second;
  }
  // Worked out outside the lock: a script may take a while to fetch.
  const ProxyRoute route = WorkOutRoute(url);
  const std::lock_guard<std::mutex> hold(lock);
  known.emplace(url, route);
  return route;
}
