// The floor for downloads under this Wine: the least a WinHTTP program does
// to fetch a file, one 4 MiB read at a time into a file, timed once.
//   winhttp_reader.exe HOST PORT PATH TARGET [PROXY]
#include <windows.h>
#include <winhttp.h>

#include <cstdio>
#include <cwchar>
#include <vector>

#include "bench/bench_clock.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 5 && argc != 6) return 2;
  const double start = Seconds();
  const bool proxied = argc == 6;
  HINTERNET session = ::WinHttpOpen(L"reader", proxied ? WINHTTP_ACCESS_TYPE_NAMED_PROXY : WINHTTP_ACCESS_TYPE_NO_PROXY,
                                    proxied ? argv[5] : WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  HINTERNET connection =
      session ? ::WinHttpConnect(session, argv[1], static_cast<INTERNET_PORT>(std::wcstoul(argv[2], nullptr, 10)), 0)
              : nullptr;
  HINTERNET request = connection ? ::WinHttpOpenRequest(connection, L"GET", argv[3], nullptr, WINHTTP_NO_REFERER,
                                                        WINHTTP_DEFAULT_ACCEPT_TYPES, 0)
                                 : nullptr;
  if (!request || !::WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !::WinHttpReceiveResponse(request, nullptr)) {
    return 1;
  }
  HANDLE target = ::CreateFileW(argv[4], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (target == INVALID_HANDLE_VALUE) return 1;
  std::vector<char> block(4 * 1024 * 1024);
  DWORD read = 0;
  while (::WinHttpReadData(request, block.data(), static_cast<DWORD>(block.size()), &read) && read != 0) {
    DWORD written = 0;
    if (!::WriteFile(target, block.data(), read, &written, nullptr) || written != read) return 1;
  }
  ::CloseHandle(target);
  ::WinHttpCloseHandle(request);
  ::WinHttpCloseHandle(connection);
  ::WinHttpCloseHandle(session);
  std::printf("WinHttpReader: %.3f s\n", Seconds() - start);
  return 0;
}
