#include "net/resumable_download.h"

#include <windows.h>
#include <winhttp.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "base/disk_space.h"
#include "base/failure.h"
#include "base/file_helpers.h"
#include "base/path_helpers.h"
#include "net/download_progress.h"
#include "net/download_resume.h"
#include "net/http_exchange.h"
#include "net/sha256_verify.h"

namespace {

// The reader's reads are small, and every wake-up of the writer costs more
// than one: it is woken when this much has come, or this often while bytes
// arrive slowly; it also looks on its own every 100 ms.
constexpr std::size_t kWakeAtBytes = 1024 * 1024;
constexpr ULONGLONG kWakeEveryMs = 50;
constexpr DWORD kLargestRead = 256 * 1024;

std::wstring PartialPath(const DownloadJob& job) { return job.target + L".partial"; }
std::wstring RecordPath(const DownloadJob& job) { return job.target + L".partial.info"; }

struct Attempt {
  bool whole = false;
  std::uint32_t status = 0;
  DWORD error = ERROR_SUCCESS;
  bool said = false;  // the message is written already
};

bool IsDiskFull(DWORD error) { return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL; }

// The bytes of an answer as a reader thread receives them. The download
// waits on it, never on the network itself, so that a cancel is heard at
// once even while the server is silent; an abandoned reader ends on its own.
struct ReceivedBytes {
  std::mutex lock;
  std::condition_variable changed;
  std::string arrived;     // not taken by the writer yet
  bool wake = false;       // enough has come to be worth waking the writer
  bool ended = false;      // no more bytes will come
  bool bodyEnded = false;  // the server ended the body
  DWORD error = ERROR_SUCCESS;
  bool abandoned = false;  // nobody reads any more
};

// Adds a read to what has arrived; false when nobody reads any more.
bool Deliver(ReceivedBytes& received, const char* bytes, std::size_t size, ULONGLONG& wokenAt) {
  const std::lock_guard<std::mutex> hold(received.lock);
  if (received.abandoned) return false;
  if (received.arrived.capacity() < kWakeAtBytes) received.arrived.reserve(kWakeAtBytes + kLargestRead);
  received.arrived.append(bytes, size);
  const ULONGLONG now = ::GetTickCount64();
  if (!received.wake && (received.arrived.size() >= kWakeAtBytes || now - wokenAt >= kWakeEveryMs)) {
    received.wake = true;
    wokenAt = now;
    received.changed.notify_all();
  }
  return true;
}

void ReadAnswer(const std::shared_ptr<Exchange>& exchange, const std::shared_ptr<ReceivedBytes>& received) {
  const WinHttp& api = LoadWinHttp();
  bool bodyEnded = false;
  DWORD error = ERROR_SUCCESS;
  std::string piece(kLargestRead, '\0');
  ULONGLONG wokenAt = ::GetTickCount64();
  for (;;) {
    DWORD available = 0;
    if (!exchange->Limit() || !api.queryDataAvailable(exchange->request.get(), &available)) {
      error = ::GetLastError();
      break;
    }
    if (available == 0) {
      bodyEnded = true;
      break;
    }
    DWORD read = 0;
    if (!api.readData(exchange->request.get(), piece.data(), available < kLargestRead ? available : kLargestRead,
                      &read) ||
        read == 0) {
      error = ::GetLastError();
      break;
    }
    if (!Deliver(*received, piece.data(), read, wokenAt)) return;
  }
  const std::lock_guard<std::mutex> hold(received->lock);
  received->ended = true;
  received->bodyEnded = bodyEnded;
  received->error = error;
  received->changed.notify_all();
}

// The SHA-256 of the partial file's first bytes, fed as they are written, so
// that a download is read once.
class ArrivingDigest {
 public:
  bool ok() const { return hasher_ && hasher_->ok(); }
  void Add(const std::string& block) {
    hasher_->Add(block.data(), block.size());
    hashed_ += block.size();
  }
  Sha256Digest Finish() { return hasher_->Finish(); }

  // Holds the first `offset` bytes of the partial file (open for reading):
  // what an earlier run left is read once, before the transfer goes on.
  bool CatchUp(HANDLE partial, std::uint64_t offset) {
    if (hasher_ && hashed_ == offset) return true;
    hasher_ = std::make_unique<Sha256Hasher>();
    hashed_ = 0;
    std::string block(1024 * 1024, '\0');
    for (LARGE_INTEGER start = {}; hashed_ < offset;) {
      if (hashed_ == 0 && !::SetFilePointerEx(partial, start, nullptr, FILE_BEGIN)) return false;
      const std::uint64_t wanted = offset - hashed_ < block.size() ? offset - hashed_ : block.size();
      DWORD read = 0;
      if (!::ReadFile(partial, block.data(), static_cast<DWORD>(wanted), &read, nullptr) || read == 0) return false;
      hasher_->Add(block.data(), read);
      hashed_ += read;
    }
    return true;
  }

 private:
  std::unique_ptr<Sha256Hasher> hasher_;
  std::uint64_t hashed_ = 0;
};

bool IsCancelled(const DownloadJob& job) { return job.cancel != nullptr && job.cancel->load(); }

// How much more a body without a length may bring before the free space is
// looked at again.
constexpr std::uint64_t kRoomCheckStep = 64 * 1024 * 1024;

bool IsPastDeadline(ULONGLONG deadline) { return deadline != 0 && ::GetTickCount64() >= deadline; }

Attempt TooLarge(const DownloadJob& job, std::uint32_t status, std::wstring* errorText) {
  FailWithMessage(errorText,
                  L"서버가 보낸 파일이 너무 큽니다. (" + std::to_wstring(job.largest / (1024 * 1024)) + L" MB 초과)");
  return {false, status, ERROR_FILE_TOO_LARGE, true};
}

// Whether the bytes so far end the attempt: over the largest size, past the
// deadline or beyond the free space, each with its message.
std::optional<Attempt> RefusedGrowth(const DownloadJob& job, std::uint64_t offset, std::uint64_t& roomUntil,
                                     ULONGLONG deadline, std::uint32_t status, std::wstring* errorText) {
  if (offset > job.largest) return TooLarge(job, status, errorText);
  if (IsPastDeadline(deadline)) {
    FailWithMessage(errorText, L"제한 시간 안에 다운로드를 마치지 못했습니다.");
    return Attempt{false, status, ERROR_TIMEOUT, true};
  }
  if (offset >= roomUntil) {
    if (!HasRoomFor(FolderOfPath(job.target), kRoomCheckStep, errorText)) {
      return Attempt{false, status, ERROR_DISK_FULL, true};
    }
    roomUntil = offset + kRoomCheckStep;
  }
  return std::nullopt;
}

// Writes the answer into the partial file from `offset` on, reporting as it goes.
Attempt ReceiveInto(const std::shared_ptr<Exchange>& exchange, HANDLE partial, std::uint64_t& offset,
                    ArrivingDigest& digest, const DownloadJob& job, std::uint64_t total, ULONGLONG deadline,
                    std::wstring* errorText) {
  auto received = std::make_shared<ReceivedBytes>();
  std::thread(ReadAnswer, exchange, received).detach();
  DownloadMeter meter(offset);
  // An announced length had its room checked already.
  std::uint64_t roomUntil = total != 0 ? UINT64_MAX : offset + kRoomCheckStep;
  std::string block;
  for (;;) {
    bool ended = false;
    {
      std::unique_lock<std::mutex> hold(received->lock);
      received->changed.wait_for(hold, std::chrono::milliseconds(100),
                                 [&] { return received->ended || received->wake; });
      if (IsCancelled(job)) {
        received->abandoned = true;
        return {false, exchange->status, ERROR_CANCELLED};
      }
      block.clear();
      block.swap(received->arrived);
      received->wake = false;
      ended = received->ended;
    }
    if (!block.empty()) {
      DWORD stored = 0;
      if (!::WriteFile(partial, block.data(), static_cast<DWORD>(block.size()), &stored, nullptr) ||
          stored != block.size()) {
        const DWORD error = ::GetLastError();
        const std::lock_guard<std::mutex> hold(received->lock);
        received->abandoned = true;
        return {false, exchange->status, error};
      }
      digest.Add(block);
      offset += block.size();
    }
    if (const std::optional<Attempt> refused =
            RefusedGrowth(job, offset, roomUntil, deadline, exchange->status, errorText)) {
      const std::lock_guard<std::mutex> hold(received->lock);
      received->abandoned = true;
      return *refused;
    }
    if (job.progress && !block.empty() && meter.Due()) {
      job.progress(total != 0 ? Percent(offset, total) : -1,
                   DownloadProgressText(offset, total, meter.BytesPerSecond(offset)).c_str());
    }
    if (ended) {
      // The server's end of the body: whole unless it announced more.
      if (received->bodyEnded) return {total == 0 || offset == total, exchange->status, ERROR_HANDLE_EOF};
      return {false, exchange->status, received->error};
    }
  }
}

// One request, from `offset` when the partial file can be continued.
Attempt TransferOnce(const DownloadJob& job, const UrlParts& url, PartialRecord& record, std::uint64_t& offset,
                     ArrivingDigest& digest, ULONGLONG deadline, std::wstring* errorText) {
  std::wstring headers;
  if (offset > 0) {
    headers = L"Range: bytes=" + std::to_wstring(offset) + L"-\r\nIf-Range: " + record.validator + L"\r\n";
  }
  // Within what is left of the deadline, when there is one.
  const ULONGLONG now = ::GetTickCount64();
  const auto exchangeHeld = std::make_shared<Exchange>(deadline == 0 ? 0 : deadline > now ? deadline - now : 1);
  Exchange& exchange = *exchangeHeld;
  exchange.cancel = job.cancel;
  if (!SendRequest(job.url, url, &exchange, errorText, headers)) return {false, 0, ::GetLastError()};
  const WinHttp& api = LoadWinHttp();
  const HINTERNET request = exchange.request.get();
  switch (
      JudgeAnswer(exchange.status, offset, ContentRangeStart(QueryText(api, request, WINHTTP_QUERY_CONTENT_RANGE)))) {
    case AnswerUse::Append:
      break;
    case AnswerUse::StartOver:
      offset = 0;
      record.length = QueryNumber(api, request, WINHTTP_QUERY_CONTENT_LENGTH);
      record.validator = ChooseValidator(QueryText(api, request, WINHTTP_QUERY_ETAG),
                                         QueryText(api, request, WINHTTP_QUERY_LAST_MODIFIED));
      WriteWholeFile(RecordPath(job), FormatPartialRecord(record));
      break;
    case AnswerUse::Discard:
      offset = 0;
      record.validator.clear();
      ::DeleteFileW(PartialPath(job).c_str());
      return {false, exchange.status, ERROR_RETRY};
    case AnswerUse::Fail:
      return {false, exchange.status, ERROR_SUCCESS};
  }
  if (record.length > job.largest) return TooLarge(job, exchange.status, errorText);
  if (record.length > offset && !HasRoomFor(FolderOfPath(job.target), record.length - offset, errorText)) {
    return {false, exchange.status, ERROR_DISK_FULL, true};
  }
  UniqueHandle partial(::CreateFileW(PartialPath(job).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER at = {};
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!partial || !digest.CatchUp(partial.get(), offset) ||
      !::SetFilePointerEx(partial.get(), at, nullptr, FILE_BEGIN) || !::SetEndOfFile(partial.get())) {
    return {false, exchange.status, ::GetLastError()};
  }
  return ReceiveInto(exchangeHeld, partial.get(), offset, digest, job, record.length, deadline, errorText);
}

std::uint64_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void PauseUnlessCancelled(const DownloadJob& job, DWORD pauseMs) {
  for (DWORD waited = 0; waited < pauseMs && !IsCancelled(job); waited += 100) {
    ::Sleep(100);
  }
}

// The whole file hashes to the published digest; otherwise it is thrown away,
// part and record, for no later run to continue it.
bool IsPublishedFile(ArrivingDigest& digest, const DownloadJob& job, std::wstring* errorText) {
  if (digest.ok() && DigestMatches(Sha256Text(digest.Finish()), job.sha256, errorText)) return true;
  if (!digest.ok()) FailWithMessage(errorText, L"SHA-256 해시를 만들지 못했습니다.");
  ::DeleteFileW(PartialPath(job).c_str());
  ::DeleteFileW(RecordPath(job).c_str());
  return false;
}

bool DownloadFailure(const Attempt& last, std::wstring* errorText) {
  if (last.said) return false;
  if (last.error == ERROR_CANCELLED) return FailWithMessage(errorText, L"다운로드를 취소했습니다.");
  if (last.status != 0 && !IsSuccess(last.status) && last.status != 416) {
    return FailWithMessage(errorText, StatusMessage(last.status));
  }
  if (IsDiskFull(last.error))
    return FailWithCode(errorText, L"디스크 공간이 부족해 내려받은 파일을 저장하지 못했습니다.", last.error);
  return FailWithCode(errorText, L"다운로드 중 오류가 발생했습니다.", last.error);
}

}  // namespace

bool DownloadFile(const DownloadJob& job, std::wstring* errorText) {
  UrlParts parts;
  if (!SplitUrl(job.url, &parts)) return FailWithMessage(errorText, L"다운로드 URL이 올바르지 않습니다.");
  const std::wstring folder = FolderOfPath(job.target);
  if (!folder.empty() && !EnsureFolder(folder)) return FailWithMessage(errorText, L"저장 폴더를 만들 수 없습니다.");

  PartialRecord saved;
  const bool known = ParsePartialRecord(ReadSmallFile(RecordPath(job), 16 * 1024), &saved);
  std::uint64_t offset = known ? ResumeOffset(saved, job.url, job.sha256, FileSize(PartialPath(job))) : 0;
  PartialRecord record = offset > 0 ? saved : PartialRecord{job.url, job.sha256, 0, L""};
  const ULONGLONG deadline = job.deadlineMs == 0 ? 0 : ::GetTickCount64() + job.deadlineMs;
  Attempt last;
  ArrivingDigest digest;
  constexpr int kAttempts = 3;
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    last = TransferOnce(job, parts, record, offset, digest, deadline, errorText);
    if (last.whole) {
      if (!job.sha256.empty() && !IsPublishedFile(digest, job, errorText)) return false;
      if (!::MoveFileExW(PartialPath(job).c_str(), job.target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return FailWithCode(errorText, L"파일을 만들 수 없습니다.", ::GetLastError());
      }
      ::DeleteFileW(RecordPath(job).c_str());
      if (job.progress) job.progress(100, L"다운로드 완료");
      return true;
    }
    if (!IsWorthRetrying(last.status, last.error) || IsPastDeadline(deadline)) break;
    // A part that did not fit is asked for again at once, from the start.
    if (last.error != ERROR_RETRY && attempt < kAttempts) PauseUnlessCancelled(job, RetryPauseMs(attempt));
    if (IsCancelled(job)) {
      last.error = ERROR_CANCELLED;
      break;
    }
  }
  // A wrong address keeps nothing; a cut keeps its bytes for the next run.
  if (last.status >= 400 && last.status < 500) {
    ::DeleteFileW(PartialPath(job).c_str());
    ::DeleteFileW(RecordPath(job).c_str());
  }
  return DownloadFailure(last, errorText);
}
