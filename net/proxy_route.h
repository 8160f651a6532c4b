// The way to a server that the user's browser would take, so that Setup
// works on company networks: the automatic configuration script (or its
// detection) of the user's Internet settings, else the proxy named there
// with its bypass list, else the static WinHTTP proxy (also for SYSTEM, which
// has no such settings).
#pragma once

#include <windows.h>

#include <string>

struct ProxyRoute {
  DWORD accessType = 0;  // WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, _NAMED_PROXY or _NO_PROXY
  std::wstring proxy;    // for a named proxy
  std::wstring bypass;
};

// The route for this URL, worked out once per URL and run.
ProxyRoute RouteFor(const std::wstring& url);
