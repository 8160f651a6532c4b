// DownloadFile of a large file from the local release server, checked against
// its digest as it arrives, then HashFileSha256 of it; each timed once. With
// a proxy ("host:port") the download goes through it, named in the user's
// Internet settings as a company network would.
//   network_bench.exe URL TARGET SHA256 [PROXY]
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "bench/bench_clock.h"

#include "base/text_helpers.h"
#include "net/http_client.h"
#include "net/resumable_download.h"
#include "net/sha256_verify.h"
#include "support/proxy_settings.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 4 && argc != 5) return 2;
  std::optional<ProxySettings> proxy;
  if (argc == 5) proxy.emplace(ProxyWay::Named, WideToUtf8(argv[4]));
  std::wstring error;
  double start = Seconds();
  if (!DownloadFile(DownloadJob{argv[1], argv[2], argv[3], nullptr}, &error)) {
    std::printf("DownloadFile failed: %s\n", WideToUtf8(error).c_str());
    return 1;
  }
  std::printf("DownloadFile: %.3f s\n", Seconds() - start);
  std::wstring digest;
  start = Seconds();
  if (!HashFileSha256(argv[2], &digest, &error)) return 1;
  std::printf("HashFileSha256: %.3f s (%s)\n", Seconds() - start, WideToUtf8(digest).c_str());
  return 0;
}
