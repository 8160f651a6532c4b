// WinHTTP as Setup uses it. winhttp is not a KnownDLL, so it comes from
// System32 through the loader; a function it lacks is null.
#pragma once

#include <windows.h>
#include <winhttp.h>

#include "base/win_handle.h"

struct WinHttp {
  decltype(&::WinHttpOpen) open;
  decltype(&::WinHttpConnect) connect;
  decltype(&::WinHttpOpenRequest) openRequest;
  decltype(&::WinHttpSendRequest) sendRequest;
  decltype(&::WinHttpReceiveResponse) receiveResponse;
  decltype(&::WinHttpQueryHeaders) queryHeaders;
  decltype(&::WinHttpQueryDataAvailable) queryDataAvailable;
  decltype(&::WinHttpReadData) readData;
  decltype(&::WinHttpCloseHandle) closeHandle;
  decltype(&::WinHttpSetTimeouts) setTimeouts;
  decltype(&::WinHttpSetOption) setOption;
  decltype(&::WinHttpGetIEProxyConfigForCurrentUser) getUserProxyConfig;
  decltype(&::WinHttpGetProxyForUrl) getProxyForUrl;
  decltype(&::WinHttpQueryAuthSchemes) queryAuthSchemes;
  decltype(&::WinHttpSetCredentials) setCredentials;
};

const WinHttp& LoadWinHttp();

namespace winhttp_traits {
struct Internet {
  using Type = HINTERNET;
  static Type Invalid() noexcept { return nullptr; }
  static bool IsValid(Type value) noexcept { return value != nullptr; }
  static void Close(Type value) noexcept { LoadWinHttp().closeHandle(value); }
};
}  // namespace winhttp_traits

using UniqueInternet = UniqueResource<winhttp_traits::Internet>;
