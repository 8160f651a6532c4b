#include "net/sha256_verify.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "base/failure.h"
#include "base/win_handle.h"
#include "net/cng.h"

namespace {

constexpr DWORD kReadBlock = 1024 * 1024;

}  // namespace

std::wstring Sha256Text(const Sha256Digest& digest) {
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring text;
  for (unsigned char byte : digest) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xF];
  }
  return text;
}

bool HashOpenFileSha256(HANDLE file, std::wstring* digest, std::wstring* errorText) {
  if (digest == nullptr) return false;
  Sha256Hasher hash;
  if (!hash.ok()) return FailWithMessage(errorText, L"SHA-256 해시를 만들지 못했습니다.");
  std::vector<unsigned char> block(kReadBlock);
  // Read by offset from the start, whatever the handle's position.
  for (std::uint64_t offset = 0;;) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    if (!::ReadFile(file, block.data(), kReadBlock, &read, &at)) {
      if (::GetLastError() == ERROR_HANDLE_EOF) break;
      return FailWithMessage(errorText, L"파일 읽기 중 오류가 발생했습니다.");
    }
    if (read == 0) break;
    hash.Add(block.data(), read);
    offset += read;
  }
  *digest = Sha256Text(hash.Finish());
  return true;
}

bool HashFileSha256(const std::wstring& path, std::wstring* digest, std::wstring* errorText) {
  if (digest == nullptr) return false;
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return FailWithMessage(errorText, L"해시 검증용 파일을 열지 못했습니다.");
  return HashOpenFileSha256(file.get(), digest, errorText);
}

bool HashTextEquals(const std::wstring& a, const std::wstring& b) {
  auto fold = [](std::wstring text) {
    for (wchar_t& c : text) {
      if (c >= L'A' && c <= L'F') c = static_cast<wchar_t>(c + (L'a' - L'A'));
    }
    return text;
  };
  return fold(a) == fold(b);
}

bool DigestMatches(const std::wstring& digest, const std::wstring& expected, std::wstring* errorText) {
  if (HashTextEquals(digest, expected)) return true;
  return FailWithMessage(errorText, L"파일 무결성 검사(SHA-256)에 실패했습니다.\n다시 받아 주세요.");
}

bool VerifyFileSha256(const std::wstring& path, const std::wstring& expected, std::wstring* errorText) {
  std::wstring digest;
  return HashFileSha256(path, &digest, errorText) && DigestMatches(digest, expected, errorText);
}

bool VerifyOpenFileSha256(HANDLE file, const std::wstring& expected, std::wstring* errorText) {
  std::wstring digest;
  return HashOpenFileSha256(file, &digest, errorText) && DigestMatches(digest, expected, errorText);
}
