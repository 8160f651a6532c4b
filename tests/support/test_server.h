// The test release server that tools/test.sh runs on the test build's base URL.
#pragma once

#include <string>

// Its folder as this Windows program sees it (made if missing); empty when the
// server was not started.
std::wstring TestServerRoot();

// How often the server was asked for this path.
size_t TestServerRequests(const std::string& path);
