#include "support/test_server.h"

#include <windows.h>

#include <cwchar>

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

std::string ReleaseAnswer(std::initializer_list<std::pair<const char*, std::string>> members) {
  std::string answer = "{\"ok\":true";
  for (const auto& [name, text] : members) answer += ",\"" + std::string(name) + "\":\"" + text + "\"";
  return answer + "}";
}

bool PublishReleaseAnswer(const std::string& answer) {
  return WriteFileBytes(TestServerRoot() + L"\\appLatest", answer);
}

size_t TestServerRequests(const std::string& path) {
  const std::string log = ReadFileBytes(TestServerRoot() + L"\\requests.log");
  size_t count = 0;
  for (size_t at = log.find(path + "\n"); at != std::string::npos; at = log.find(path + "\n", at + 1)) ++count;
  return count;
}

namespace {

std::vector<std::string> LogLines(const wchar_t* name) {
  const std::string log = ReadFileBytes(TestServerRoot() + L"\\" + name);
  std::vector<std::string> lines;
  for (size_t start = 0, end; start < log.size(); start = end + 1) {
    end = log.find('\n', start);
    if (end == std::string::npos) end = log.size();
    lines.push_back(log.substr(start, end - start));
  }
  return lines;
}

// What a log of "<path> <rest>" lines holds after this path, in order.
std::vector<std::string> LoggedFor(const wchar_t* name, const std::string& path) {
  std::vector<std::string> found;
  for (const std::string& line : LogLines(name)) {
    if (line.size() > path.size() && line.compare(0, path.size() + 1, path + " ") == 0) {
      found.push_back(line.substr(path.size() + 1));
    }
  }
  return found;
}

}  // namespace

std::vector<std::string> TestServerRanges(const std::string& path) { return LoggedFor(L"ranges.log", path); }

std::vector<std::string> TestServerCacheDirectives(const std::string& path) {
  return LoggedFor(L"cache-directives.log", path);
}

unsigned TestProxyPort() {
  wchar_t text[16] = {};
  const DWORD length = ::GetEnvironmentVariableW(L"ORLINTH_TEST_PROXY_PORT", text, 16);
  if (length == 0 || length >= 16) return 0;
  return static_cast<unsigned>(std::wcstoul(text, nullptr, 10));
}

size_t TestProxyRequests(const std::string& path) {
  size_t count = 0;
  for (const std::string& line : LogLines(L"proxy-requests.log")) count += line == path ? 1 : 0;
  return count;
}
