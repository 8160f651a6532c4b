// The test release server that tools/test.sh runs on the test build's base URL.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// Its folder as this Windows program sees it (made if missing); empty when the
// server was not started.
std::wstring TestServerRoot();

// An answer as the release server gives it: "ok" true, then these string
// members in order (their texts as they stand, unescaped).
std::string ReleaseAnswer(std::initializer_list<std::pair<const char*, std::string>> members);

// Serves the answer as "/appLatest".
bool PublishReleaseAnswer(const std::string& answer);

// How often the server was asked for this path.
size_t TestServerRequests(const std::string& path);

// The Range headers the server got for this path, in order ("-" for none).
std::vector<std::string> TestServerRanges(const std::string& path);

// The Cache-Control and Pragma headers the server got for this path, in order
// ("<Cache-Control> <Pragma>", each "-" when missing).
std::vector<std::string> TestServerCacheDirectives(const std::string& path);

// The port of the server's forward proxy on 127.0.0.1; 0 when it was not started.
unsigned TestProxyPort();

// How often the proxy relayed a request for this path (not counting the ones it
// refused with 407).
size_t TestProxyRequests(const std::string& path);
