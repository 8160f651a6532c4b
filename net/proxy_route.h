// The way to a server that the user's browser would take, so that Setup
// works on company networks: the automatic configuration script (or its
// detection) of the user's Internet settings, else the proxy named there
// with its bypass list, else the static WinHTTP proxy (also for SYSTEM, which
// has no such settings).
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

struct ProxyRoute {
  DWORD accessType = 0;  // WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, _NAMED_PROXY or _NO_PROXY
  std::wstring proxy;    // for a named proxy
  std::wstring bypass;
};

// The route for this URL, worked out once per URL and run. A configuration
// script (or its detection) gets `waitMs`, at most 5 s, and is given up for
// the URL (the named proxy, else the static one, is then taken) when it has
// not answered by then or when `cancel` is set.
ProxyRoute RouteFor(const std::wstring& url, DWORD waitMs, const std::atomic<bool>* cancel = nullptr);
