#include "net/sha256_verify.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstdint>
#include <vector>

#include "base/failure.h"
#include "base/system_library.h"
#include "base/win_handle.h"

namespace {

// bcrypt is not a KnownDLL, so it comes from System32 through the loader.
struct Cng {
  decltype(&::BCryptOpenAlgorithmProvider) openProvider;
  decltype(&::BCryptCloseAlgorithmProvider) closeProvider;
  decltype(&::BCryptGetProperty) getProperty;
  decltype(&::BCryptCreateHash) createHash;
  decltype(&::BCryptHashData) hashData;
  decltype(&::BCryptFinishHash) finishHash;
  decltype(&::BCryptDestroyHash) destroyHash;

  bool complete() const {
    return openProvider && closeProvider && getProperty && createHash && hashData && finishHash && destroyHash;
  }
};

const Cng& LoadCng() {
  static const Cng cng = {
      SystemFunction<decltype(&::BCryptOpenAlgorithmProvider)>(L"bcrypt.dll", "BCryptOpenAlgorithmProvider"),
      SystemFunction<decltype(&::BCryptCloseAlgorithmProvider)>(L"bcrypt.dll", "BCryptCloseAlgorithmProvider"),
      SystemFunction<decltype(&::BCryptGetProperty)>(L"bcrypt.dll", "BCryptGetProperty"),
      SystemFunction<decltype(&::BCryptCreateHash)>(L"bcrypt.dll", "BCryptCreateHash"),
      SystemFunction<decltype(&::BCryptHashData)>(L"bcrypt.dll", "BCryptHashData"),
      SystemFunction<decltype(&::BCryptFinishHash)>(L"bcrypt.dll", "BCryptFinishHash"),
      SystemFunction<decltype(&::BCryptDestroyHash)>(L"bcrypt.dll", "BCryptDestroyHash"),
  };
  return cng;
}

struct ProviderTraits {
  using Type = BCRYPT_ALG_HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static bool IsValid(Type value) noexcept { return value != nullptr; }
  static void Close(Type value) noexcept { LoadCng().closeProvider(value, 0); }
};
struct HashTraits {
  using Type = BCRYPT_HASH_HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static bool IsValid(Type value) noexcept { return value != nullptr; }
  static void Close(Type value) noexcept { LoadCng().destroyHash(value); }
};
using UniqueProvider = UniqueResource<ProviderTraits>;
using UniqueHash = UniqueResource<HashTraits>;

constexpr DWORD kReadBlock = 1024 * 1024;

DWORD ReadSize(const Cng& cng, BCRYPT_ALG_HANDLE provider, const wchar_t* property) {
  DWORD value = 0;
  ULONG written = 0;
  cng.getProperty(provider, property, reinterpret_cast<PUCHAR>(&value), sizeof(value), &written, 0);
  return value;
}

std::wstring HexText(const std::vector<unsigned char>& bytes) {
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring text;
  for (unsigned char byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xF];
  }
  return text;
}

}  // namespace

bool HashOpenFileSha256(HANDLE file, std::wstring* digest, std::wstring* errorText) {
  if (digest == nullptr) return false;
  const Cng& cng = LoadCng();
  UniqueProvider provider;
  if (!cng.complete() || !BCRYPT_SUCCESS(cng.openProvider(provider.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
    return FailWithMessage(errorText, L"SHA-256 초기자를 열지 못했습니다.");
  }
  std::vector<unsigned char> object(ReadSize(cng, provider.get(), BCRYPT_OBJECT_LENGTH));
  std::vector<unsigned char> output(ReadSize(cng, provider.get(), BCRYPT_HASH_LENGTH));
  UniqueHash hash;
  if (!BCRYPT_SUCCESS(cng.createHash(provider.get(), hash.put(), object.data(), static_cast<ULONG>(object.size()),
                                     nullptr, 0, 0))) {
    return FailWithMessage(errorText, L"SHA-256 해시를 만들지 못했습니다.");
  }
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
    cng.hashData(hash.get(), block.data(), read, 0);
    offset += read;
  }
  cng.finishHash(hash.get(), output.data(), static_cast<ULONG>(output.size()), 0);
  *digest = HexText(output);
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

namespace {

bool DigestMatches(const std::wstring& digest, const std::wstring& expected, std::wstring* errorText) {
  if (HashTextEquals(digest, expected)) return true;
  return FailWithMessage(errorText, L"파일 무결성 검사(SHA-256)에 실패했습니다.\n다시 받아 주세요.");
}

}  // namespace

bool VerifyFileSha256(const std::wstring& path, const std::wstring& expected, std::wstring* errorText) {
  std::wstring digest;
  return HashFileSha256(path, &digest, errorText) && DigestMatches(digest, expected, errorText);
}

bool VerifyOpenFileSha256(HANDLE file, const std::wstring& expected, std::wstring* errorText) {
  std::wstring digest;
  return HashOpenFileSha256(file, &digest, errorText) && DigestMatches(digest, expected, errorText);
}
