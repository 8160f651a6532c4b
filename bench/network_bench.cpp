// DownloadFile of a large file from the local release server, then
// HashFileSha256 of it; each timed once.
//   network_bench.exe URL TARGET
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/bench_clock.h"

#include "base/text_helpers.h"
#include "net/http_client.h"
#include "net/resumable_download.h"
#include "net/sha256_verify.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  std::wstring error;
  double start = Seconds();
  if (!DownloadFile(argv[1], argv[2], nullptr, &error)) return 1;
  std::printf("DownloadFile: %.3f s\n", Seconds() - start);
  std::wstring digest;
  start = Seconds();
  if (!HashFileSha256(argv[2], &digest, &error)) return 1;
  std::printf("HashFileSha256: %.3f s (%s)\n", Seconds() - start, WideToUtf8(digest).c_str());
  return 0;
}
