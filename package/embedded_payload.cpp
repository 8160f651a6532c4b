#include "package/embedded_payload.h"

#include <windows.h>

#include <cstdio>
#include <optional>

#include "base/file_helpers.h"
#include "base/folder_removal.h"
#include "base/own_image.h"
#include "base/path_helpers.h"
#include "base/win_handle.h"
#include "base/work_report.h"
#include "base/working_root.h"
#include "package/hidden_powershell.h"
#include "package/payload_trailer.h"

namespace {

constexpr LONGLONG kLargestStamp = 512;

// The identity of the Setup file, read again after the trailer check.
std::optional<PayloadCacheKey> ReadCacheKey(HANDLE setupFile, std::uint64_t payloadSize) {
  LARGE_INTEGER size{};
  FILETIME written{};
  if (!::GetFileSizeEx(setupFile, &size) || !::GetFileTime(setupFile, nullptr, nullptr, &written) ||
      size.QuadPart <= 0) {
    return std::nullopt;
  }
  return PayloadCacheKey{payloadSize, static_cast<std::uint64_t>(size.QuadPart), written.dwHighDateTime,
                         written.dwLowDateTime};
}

bool IsCacheValid(const std::wstring& folder, const PayloadCacheKey& key) {
  const std::wstring stamp = JoinPath(folder, L".payload_ok");
  return IsDirectory(folder) && IsRegularFile(stamp) && IsPayloadStampCurrent(stamp, key) &&
         IsRegularFile(JoinPath(folder, L"Install.ps1")) && IsRegularFile(JoinPath(folder, L"ImeInstallCommon.ps1"));
}

EmbeddedPackageOutcome Fail(std::wstring* errorText, const std::wstring& message) {
  if (errorText) *errorText = message;
  return EmbeddedPackageOutcome::Failed;
}

// Copy, extract, check and stamp into an emptied cache folder, once the
// working root around it has been checked.
EmbeddedPackageOutcome FillCache(HANDLE setupFile, const PayloadLocation& payload, const std::wstring& folder,
                                 const std::wstring& keyText, bool rootChecked, std::wstring* errorText) {
  if (rootChecked && IsDirectory(folder)) RemoveFolderTree(folder);
  if (!rootChecked || !EnsureFolder(folder)) return Fail(errorText, L"임시 폴더를 만들 수 없습니다:\n" + folder);

  const std::wstring archive = JoinPath(folder, L"_payload.zip");
  ReportProgress(0);
  if (!CopyPayloadToFile(setupFile, payload.offset, payload.length, archive)) {
    return Fail(errorText, L"Setup.exe 에서 설치 패키지를 꺼내지 못했습니다.");
  }
  ReportStep(L"패키지 압축 해제 중...");
  ReportProgress(45);
  ReportLogLine(L"Expand-Archive 실행...");
  if (!ExpandZipArchive(archive, folder)) return Fail(errorText, L"설치 패키지 압축 해제에 실패했습니다.");

  ::DeleteFileW(archive.c_str());
  if (!IsRegularFile(JoinPath(folder, L"Install.ps1"))) {
    return Fail(errorText,
                L"압축 해제 결과에 Install.ps1 이 없습니다.\n단일 파일 Setup 이 올바르게 패킹되었는지 확인하세요.");
  }
  const std::string_view stamp(reinterpret_cast<const char*>(keyText.data()), keyText.size() * sizeof(wchar_t));
  if (!WriteWholeFile(JoinPath(folder, L".payload_ok"), stamp)) {
    // The package is usable now; the next run extracts it again.
    ReportLogLine(L"경고: 캐시 스탬프를 쓰지 못했습니다 (다음 실행 시 재압축).");
  }
  ReportProgress(55);
  ReportLogLine(L"패키지 준비 완료: " + folder);
  return EmbeddedPackageOutcome::Ready;
}

}  // namespace

std::wstring FormatPayloadCacheKey(const PayloadCacheKey& key) {
  wchar_t text[96] = {};
  std::swprintf(text, 96, L"%llu_%llu_%08X%08X", static_cast<unsigned long long>(key.payloadSize),
                static_cast<unsigned long long>(key.setupFileSize), key.writeTimeHigh, key.writeTimeLow);
  return text;
}

std::wstring GetPayloadCacheFolder(const PayloadCacheKey& key) {
  const std::wstring cache = WorkingPath(L"setup-cache");
  return cache.empty() ? std::wstring() : JoinPath(cache, FormatPayloadCacheKey(key));
}

bool IsPayloadStampCurrent(const std::wstring& stampPath, const PayloadCacheKey& key) {
  UniqueHandle file(::CreateFileW(stampPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart < 1 || size.QuadPart > kLargestStamp) {
    return false;
  }
  std::wstring units(static_cast<size_t>(size.QuadPart / 2), L'\0');
  const DWORD wanted = static_cast<DWORD>(units.size() * sizeof(wchar_t));
  DWORD read = 0;
  if (!::ReadFile(file.get(), units.data(), wanted, &read, nullptr) || read != wanted) return false;
  return units == FormatPayloadCacheKey(key);
}

bool CopyPayloadToFile(HANDLE source, std::uint64_t offset, std::uint64_t length, const std::wstring& target) {
  UniqueHandle to(
      ::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  return to && CopyFileRange(source, offset, length, to.get(), [length](std::uint64_t copied) {
           ReportProgress(static_cast<int>(copied * 40 / length));
         });
}

EmbeddedPackageOutcome PrepareEmbeddedPackageFrom(HANDLE setupFile, std::wstring* folder, std::wstring* errorText) {
  const std::optional<PayloadLocation> payload = ReadPayloadTrailer(setupFile);
  if (!payload) return EmbeddedPackageOutcome::NoPayload;
  const std::optional<PayloadCacheKey> key = ReadCacheKey(setupFile, payload->length);
  if (!key) return Fail(errorText, L"Setup.exe 파일 정보를 읽지 못했습니다.");

  const std::wstring cache = GetPayloadCacheFolder(*key);
  const std::wstring keyText = FormatPayloadCacheKey(*key);
  const bool rootChecked = !cache.empty() && EnsureWorkingFolder(FolderOfPath(cache));
  if (rootChecked && IsCacheValid(cache, *key)) {
    ReportLogLine(L"캐시된 패키지 사용: " + cache);
    ReportLogLine(L"캐시 키: " + keyText);
    *folder = cache;
    return EmbeddedPackageOutcome::Ready;
  }
  ReportStatus(L"설치 파일을 준비하는 중입니다...");
  ReportStep(L"내장 패키지 압축 해제");
  ReportLogLine(L"단일 파일 Setup: 내장 패키지를 압축 해제합니다.");
  ReportLogLine(L"대상: " + cache);
  ReportLogLine(L"캐시 키: " + keyText);
  const EmbeddedPackageOutcome outcome = FillCache(setupFile, *payload, cache, keyText, rootChecked, errorText);
  if (outcome == EmbeddedPackageOutcome::Ready) *folder = cache;
  return outcome;
}

EmbeddedPackageOutcome PrepareEmbeddedPackage(std::wstring* folder, std::wstring* errorText) {
  // Setup's own file as held since start: a file that could not be held is a
  // Setup without payload.
  return PrepareEmbeddedPackageFrom(OwnImage(), folder, errorText);
}
