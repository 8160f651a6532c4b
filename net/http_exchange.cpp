#include "net/http_exchange.h"

#include "base/failure.h"
#include "base/setup_version.h"
#include "net/proxy_route.h"

bool IsSignInStatus(std::uint32_t status) {
  return status == HTTP_STATUS_PROXY_AUTH_REQ || status == HTTP_STATUS_DENIED;
}

std::wstring StatusMessage(std::uint32_t status) {
  if (status == HTTP_STATUS_PROXY_AUTH_REQ) {
    return L"프록시 서버가 로그인을 요구합니다.\n네트워크 관리자에게 프록시 설정을 확인해 주세요.";
  }
  if (status == HTTP_STATUS_DENIED) {
    return L"릴리스 서버가 로그인을 요구합니다.\n네트워크 관리자에게 문의해 주세요.";
  }
  return L"서버가 오류를 반환했습니다. (HTTP " + std::to_wstring(status) + L")";
}

int Percent(std::uint64_t done, std::uint64_t total) {
  const std::uint64_t percent = done * 100 / total;
  return percent > 100 ? 100 : static_cast<int>(percent);
}

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

namespace {

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

}  // namespace

bool SendRequest(const std::wstring& address, const UrlParts& url, Exchange* exchange, std::wstring* errorText,
                 const std::wstring& headers) {
  const WinHttp& api = LoadWinHttp();
  const std::wstring agent = std::wstring(L"OrlinthSetup/") + kSetupVersion;
  const ProxyRoute route = RouteFor(address, exchange->patience.NextWaitMs(), exchange->cancel);
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
