#include "support/folder_link.h"

#include <windows.h>

#include <string>

#include "base/text_helpers.h"
#include "base/win_handle.h"
#include "support/setup_driver.h"

namespace {

// Wine's own export: the Unix path behind a Windows path.
std::string UnixPath(const std::wstring& path) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  const auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (unixName == nullptr) return {};
  char* name = unixName(path.c_str());
  if (name == nullptr) return {};
  std::string result = name;
  ::HeapFree(::GetProcessHeap(), 0, name);
  return result;
}

// Wine starts Unix programs like Windows ones, but its process handle does
// not follow them: the caller watches for the effect instead.
void RunUnix(const std::wstring& program, const std::string& arguments) {
  UniqueProcessInformation child;
  StartProcess(L"Z:" + program, program + L" " + Utf8ToWide(arguments), L"", &child, nullptr);
}

template <typename Condition>
void WaitFor(Condition done) {
  for (int waited = 0; waited < 5000 && !done(); waited += 20) ::Sleep(20);
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

FolderLink::FolderLink(const std::wstring& link, const std::wstring& target) : link_(link) {
  const std::string from = UnixPath(link);
  const std::string to = UnixPath(target);
  if (from.empty() || to.empty()) return;
  RunUnix(L"/bin/ln", "-s " + Quoted(to) + " " + Quoted(from));
  WaitFor([&] { return made(); });
}

FolderLink::~FolderLink() {
  const std::string from = UnixPath(link_);
  if (from.empty() || !made()) return;
  RunUnix(L"/bin/rm", "-f " + Quoted(from));
  WaitFor([&] { return !made(); });
}

bool FolderLink::made() const { return IsLinkPath(link_); }

bool IsLinkPath(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}
