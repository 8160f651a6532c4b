#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "base/win_handle.h"
#include "net/sha256_verify.h"
#include "support/temp_folder.h"

namespace {

constexpr wchar_t kMismatch[] = L"파일 무결성 검사(SHA-256)에 실패했습니다.\n다시 받아 주세요.";

std::wstring DigestOf(const TempFolder& folder, const std::string& bytes) {
  const std::wstring path = folder.File(L"file.bin");
  EXPECT_TRUE(WriteFileBytes(path, bytes));
  std::wstring digest;
  std::wstring error;
  EXPECT_TRUE(HashFileSha256(path, &digest, &error)) << error.c_str();
  return digest;
}

TEST(HashFileSha256, KnownAnswers) {
  TempFolder folder;
  EXPECT_EQ(DigestOf(folder, ""), L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(DigestOf(folder, "abc"), L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(DigestOf(folder, std::string(1000000, 'a')),
            L"cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  // Over two 1 MiB reads and a short last one; the digest made with Python's hashlib.
  std::string pattern(2 * 1048576 + 12345, '\0');
  for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<char>(i % 251);
  EXPECT_EQ(DigestOf(folder, pattern), L"2e5e321c61c38df2ec144156f2f70495fa0551a75f1d8cd234ffe54b01d11fba");
}

TEST(VerifyFileSha256, OnlyTheExactDigestInEitherCaseMatches) {
  TempFolder folder;
  const std::wstring path = folder.File(L"abc.bin");
  ASSERT_TRUE(WriteFileBytes(path, "abc"));
  const std::wstring digest = L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
  std::wstring error = L"untouched";
  EXPECT_TRUE(VerifyFileSha256(path, L"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD", &error));
  EXPECT_EQ(error, L"untouched");
  for (const std::wstring& expected : {L" " + digest, digest + L"\n", L"sha256:" + digest, std::wstring()}) {
    error.clear();
    EXPECT_FALSE(VerifyFileSha256(path, expected, &error)) << expected.c_str();
    EXPECT_EQ(error, kMismatch);
  }
  EXPECT_FALSE(HashTextEquals(L"g", L"G"));
}

TEST(HashFileSha256, AFileOpenWithoutReadSharingCannotBeHashed) {
  TempFolder folder;
  const std::wstring path = folder.File(L"busy.bin");
  ASSERT_TRUE(WriteFileBytes(path, "abc"));
  UniqueHandle writer(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(writer);
  std::wstring digest;
  std::wstring error;
  EXPECT_FALSE(HashFileSha256(path, &digest, &error));
  EXPECT_EQ(error, L"해시 검증용 파일을 열지 못했습니다.");
  EXPECT_FALSE(HashFileSha256(path, nullptr, &error));
}

}  // namespace
