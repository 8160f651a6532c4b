#include "net/winhttp_api.h"

#include "base/system_library.h"

namespace {

template <typename Function>
Function WinHttpFunction(const char* name) {
  return SystemFunction<Function>(L"winhttp.dll", name);
}

}  // namespace

const WinHttp& LoadWinHttp() {
  static const WinHttp api = {
      WinHttpFunction<decltype(&::WinHttpOpen)>("WinHttpOpen"),
      WinHttpFunction<decltype(&::WinHttpConnect)>("WinHttpConnect"),
      WinHttpFunction<decltype(&::WinHttpOpenRequest)>("WinHttpOpenRequest"),
      WinHttpFunction<decltype(&::WinHttpSendRequest)>("WinHttpSendRequest"),
      WinHttpFunction<decltype(&::WinHttpReceiveResponse)>("WinHttpReceiveResponse"),
      WinHttpFunction<decltype(&::WinHttpQueryHeaders)>("WinHttpQueryHeaders"),
      WinHttpFunction<decltype(&::WinHttpQueryDataAvailable)>("WinHttpQueryDataAvailable"),
      WinHttpFunction<decltype(&::WinHttpReadData)>("WinHttpReadData"),
      WinHttpFunction<decltype(&::WinHttpCloseHandle)>("WinHttpCloseHandle"),
      WinHttpFunction<decltype(&::WinHttpSetTimeouts)>("WinHttpSetTimeouts"),
      WinHttpFunction<decltype(&::WinHttpSetOption)>("WinHttpSetOption"),
      WinHttpFunction<decltype(&::WinHttpGetIEProxyConfigForCurrentUser)>("WinHttpGetIEProxyConfigForCurrentUser"),
      WinHttpFunction<decltype(&::WinHttpGetProxyForUrl)>("WinHttpGetProxyForUrl"),
      WinHttpFunction<decltype(&::WinHttpQueryAuthSchemes)>("WinHttpQueryAuthSchemes"),
      WinHttpFunction<decltype(&::WinHttpSetCredentials)>("WinHttpSetCredentials"),
  };
  return api;
}
