#include "support/test_server.h"

#include <windows.h>

#include "support/temp_folder.h"

std::wstring TestServerRoot() {
  wchar_t unixPath[MAX_PATH] = {};
  if (::GetEnvironmentVariableW(L"ORLINTH_TEST_SERVER_ROOT", unixPath, MAX_PATH) == 0) return {};
  // Wine's Z: drive is the Unix root.
  std::wstring path = L"Z:" + std::wstring(unixPath);
  for (wchar_t& c : path) c = c == L'/' ? L'\\' : c;
  ::CreateDirectoryW(path.c_str(), nullptr);
  return path;
}

size_t TestServerRequests(const std::string& path) {
  const std::string log = ReadFileBytes(TestServerRoot() + L"\\requests.log");
  size_t count = 0;
  for (size_t at = log.find(path + "\n"); at != std::string::npos; at = log.find(path + "\n", at + 1)) ++count;
  return count;
}
