#include "base/run_log.h"

#include <windows.h>

#include <cwchar>
#include <mutex>
#include <vector>

#include "base/failure.h"
#include "base/file_helpers.h"
#include "base/path_helpers.h"
#include "base/product_paths.h"
#include "base/setup_version.h"
#include "base/text_helpers.h"
#include "base/win_handle.h"

namespace {

std::mutex g_lock;
UniqueHandle g_file;       // guarded by g_lock
std::wstring g_buildNote;  // written before any other thread runs

void WriteBytes(const std::string& bytes) {
  DWORD written = 0;
  ::WriteFile(g_file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

bool IsDeviceDigit(wchar_t c) { return (c >= L'0' && c <= L'9') || c == L'\u00B9' || c == L'\u00B2' || c == L'\u00B3'; }

// The old DOS device names stay devices whatever extension follows them, and
// whatever blanks end them; COM and LPT take superscript digits too.
bool IsDeviceName(std::wstring_view name) {
  std::wstring_view stem = name.substr(0, name.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.remove_suffix(1);
  for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
    if (EqualsIgnoringCase(stem, device)) return true;
  }
  return stem.size() == 4 && (StartsWithIgnoringCase(stem, L"COM") || StartsWithIgnoringCase(stem, L"LPT")) &&
         IsDeviceDigit(stem[3]);
}

bool HasLogExtension(const std::wstring& name) {
  for (std::wstring_view extension : {std::wstring_view(L".log"), std::wstring_view(L".txt")}) {
    if (name.size() > extension.size() &&
        EqualsIgnoringCase(std::wstring_view(name).substr(name.size() - extension.size()), extension)) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool IsAcceptableLogPath(const std::wstring& path) {
  const std::wstring name = FileNameOfPath(path);
  return HasLogExtension(name) && IsPlainFullPath(FolderOfPath(path)) && !IsDeviceName(name) &&
         !HasDeviceOrStreamForm(path);
}

std::wstring FullLogPath(const std::wstring& given) {
  if (given.empty() || HasDeviceOrStreamForm(given)) return given;
  const DWORD needed = ::GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return given;
  std::wstring full(needed, L'\0');
  const DWORD length = ::GetFullPathNameW(given.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return given;
  full.resize(length);
  return full;
}

bool OpenRunLog(const std::wstring& given, std::wstring* reason) {
  const std::wstring path = FullLogPath(given);
  if (!IsAcceptableLogPath(path)) {
    return FailWithMessage(reason,
                           L"로그 파일은 .log 또는 .txt 로 끝나는 파일이어야 하며 장치 이름, 스트림, \\\\?\\ "
                           L"형식은 쓸 수 없습니다.");
  }
  // Every folder on the way, not just the last, made where it is missing: a
  // link anywhere in the path would lead the elevated Setup to write where the
  // link points.
  const std::vector<UniqueHandle> folders = HoldRealFolders(FolderOfPath(path), true);
  if (folders.empty()) return FailWithMessage(reason, L"로그 파일의 폴더가 링크이거나 만들 수 없습니다.");
  // Wine shows links only through the path, Windows also through the handle.
  const DWORD before = ::GetFileAttributesW(path.c_str());
  if (before != INVALID_FILE_ATTRIBUTES && !IsPlainFileAttributes(before)) {
    return FailWithMessage(reason, L"로그 파일 이름에 일반 파일이 아닌 것이 있습니다.");
  }
  UniqueHandle file(::CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return FailWithMessage(reason, L"로그 파일을 열 수 없습니다.");
  const bool existed = ::GetLastError() == ERROR_ALREADY_EXISTS;
  FILE_ATTRIBUTE_TAG_INFO tag = {};
  if (!::GetFileInformationByHandleEx(file.get(), FileAttributeTagInfo, &tag, sizeof(tag)) ||
      !IsPlainFileAttributes(tag.FileAttributes)) {
    return FailWithMessage(reason, L"로그 파일 이름에 일반 파일이 아닌 것이 있습니다.");
  }
  {
    const std::lock_guard<std::mutex> hold(g_lock);
    g_file = std::move(file);
    // A log used before goes on after a blank line; a new one starts marked as UTF-8.
    WriteBytes(existed ? "\r\n" : "\xEF\xBB\xBF");
  }
  WriteRunLog(L"Orlinth Setup " + std::wstring(kSetupVersion) + L" 실행 (프로세스 " +
              std::to_wstring(::GetCurrentProcessId()) + L")");
  if (!g_buildNote.empty()) WriteRunLog(g_buildNote);
  return true;
}

void SetRunLogBuildNote(const std::wstring& note) { g_buildNote = note; }

std::wstring DefaultRunLogPath() {
  wchar_t temp[MAX_PATH] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH, temp);
  if (length == 0 || length >= MAX_PATH) return {};
  SYSTEMTIME now = {};
  ::GetLocalTime(&now);
  wchar_t stamp[32] = {};
  std::swprintf(stamp, 32, L"-%04u%02u%02u-%02u%02u%02u.log", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                now.wSecond);
  return JoinPath(temp, kSetupFolderName + std::wstring(stamp));
}

void WriteRunLog(const std::wstring& line) {
  const std::lock_guard<std::mutex> hold(g_lock);
  if (!g_file) return;
  SYSTEMTIME now = {};
  ::GetLocalTime(&now);
  wchar_t stamp[32] = {};
  std::swprintf(stamp, 32, L"%04u-%02u-%02u %02u:%02u:%02u.%03u ", now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond, now.wMilliseconds);
  WriteBytes(WideToUtf8(stamp + std::wstring(WithoutLineEnd(line))) + "\r\n");
}
