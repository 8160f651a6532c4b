#include "selfupdate/replace_log.h"

#include <windows.h>

#include "base/text_helpers.h"
#include "base/win_handle.h"
#include "base/working_root.h"
#include "selfupdate/update_locations.h"

bool AppendReplaceLog(const std::wstring& line) {
  if (!EnsureWorkingFolder(SelfUpdateFolder())) return false;
  // Opened and released per line: each step is on disk before the next begins.
  UniqueHandle log(::CreateFileW(ReplaceLogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!log) return false;
  const std::string bytes = WideToUtf8(line) + "\r\n";
  DWORD written = 0;
  ::WriteFile(log.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  return true;
}
