// Time to prepare the package of a single-file Setup: the first run copies the
// payload out and extracts it, the second finds the cache.
//   payload_bench.exe SINGLE-FILE-SETUP.exe
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/bench_clock.h"

#include "base/win_handle.h"
#include "package/embedded_payload.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  // Held as Setup holds its own file.
  UniqueHandle setup(::CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!setup) return 1;
  for (const char* run : {"first run (copy out and extract)", "second run (cache)"}) {
    std::wstring folder;
    std::wstring error;
    const double start = Seconds();
    const EmbeddedPackageOutcome outcome = PrepareEmbeddedPackageFrom(setup.get(), &folder, &error);
    const double elapsed = Seconds() - start;
    if (outcome != EmbeddedPackageOutcome::Ready) return 1;
    std::printf("%s: %.4f s\n", run, elapsed);
  }
  return 0;
}
