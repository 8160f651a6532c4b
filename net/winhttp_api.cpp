#include "net/winhttp_api.h"

#include "base/system_library.h"

namespace {

template <typename Function>
Function WinHttpFunction(const char* name) {
  return SystemFunction<Function>(L"winhttp.dll", name);
}

// The HTTP library brings in the certificate and crypto libraries, which
// Wine would look for in the program's folder first: they are loaded from
// System32 before it.
bool LoadDependencies() {
  for (const wchar_t* name : {L"bcrypt.dll", L"crypt32.dll"}) LoadSystemLibrary(name);
  return true;
}

}  // namespace

const WinHttp& LoadWinHttp() {
  static const bool dependencies = LoadDependencies();
  (void)dependencies;
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
