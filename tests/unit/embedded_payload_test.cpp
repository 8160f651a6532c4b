// The single-file Setup's payload: finding it, the cache key and stamp, and
// preparing the cache through the PowerShell stand-in.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "app/window_messages.h"
#include "app/window_posting.h"
#include "base/win_handle.h"
#include "package/embedded_payload.h"
#include "package/hidden_powershell.h"
#include "package/payload_trailer.h"
#include "support/release_folder.h"
#include "support/temp_folder.h"
#include "support/zip_builder.h"
#include "ui/main_window_state.h"

namespace {

std::string Trailer(std::uint64_t length) {
  std::string bytes;
  for (int i = 0; i < 8; ++i) bytes += static_cast<char>((length >> (8 * i)) & 0xFF);
  return bytes + "OLTPAYLD";
}

// The Setup file as Setup holds its own: read sharing only.
UniqueHandle OpenSetup(const std::wstring& path) {
  return UniqueHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
}

std::optional<PayloadLocation> TrailerOf(const TempFolder& folder, const std::string& bytes) {
  const std::wstring path = folder.File(L"Setup.exe");
  EXPECT_TRUE(WriteFileBytes(path, bytes));
  return ReadPayloadTrailer(OpenSetup(path).get());
}

TEST(ReadPayloadTrailer, LengthAndMagicDecide) {
  TempFolder folder;
  const std::string exe(100, 'x');
  const std::string zip(40, 'z');
  EXPECT_FALSE(TrailerOf(folder, std::string(15, 'x')));
  EXPECT_FALSE(TrailerOf(folder, exe + zip + Trailer(40).substr(0, 15) + "X"));
  EXPECT_FALSE(TrailerOf(folder, exe + zip + Trailer(0)));
  EXPECT_FALSE(TrailerOf(folder, zip + Trailer(41)));
  const auto whole = TrailerOf(folder, zip + Trailer(40));  // the payload starts at offset 0
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->offset, 0u);
  const auto normal = TrailerOf(folder, exe + zip + Trailer(40));
  ASSERT_TRUE(normal);
  EXPECT_EQ(normal->offset, 100u);
  EXPECT_EQ(normal->length, 40u);
}

// A PE file as a signing tool leaves it: the certificate table appended after
// everything else and named by the security directory.
std::string SignedFile(const std::string& body, std::uint32_t certificateOffset, std::uint32_t certificateSize) {
  std::string image(512, '\0');
  IMAGE_DOS_HEADER dos{};
  dos.e_magic = IMAGE_DOS_SIGNATURE;
  dos.e_lfanew = 64;
  std::memcpy(image.data(), &dos, sizeof(dos));
  IMAGE_NT_HEADERS64 headers{};
  headers.Signature = IMAGE_NT_SIGNATURE;
  headers.FileHeader.SizeOfOptionalHeader = sizeof(IMAGE_OPTIONAL_HEADER64);
  headers.OptionalHeader.Magic = IMAGE_NT_OPTIONAL_HDR64_MAGIC;
  headers.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY] = {certificateOffset, certificateSize};
  std::memcpy(image.data() + 64, &headers, sizeof(headers));
  return image + body;
}

TEST(ReadPayloadTrailer, InASignedFileOnlyBeforeTheCertificateTable) {
  TempFolder folder;
  const std::string payload = std::string(40, 'z') + Trailer(40);
  const std::string certificate(64, 'c');
  // Signing pads to an 8-byte boundary with up to 7 zero bytes first.
  for (std::uint32_t zeros = 0; zeros < 8; ++zeros) {
    const auto table = static_cast<std::uint32_t>(512 + payload.size() + zeros);
    const auto found = TrailerOf(folder, SignedFile(payload + std::string(zeros, '\0'), table, 64) + certificate);
    ASSERT_TRUE(found) << zeros;
    EXPECT_EQ(found->offset, 512u);
    EXPECT_EQ(found->length, 40u);
  }
  const auto table = static_cast<std::uint32_t>(512 + payload.size() + 1);
  EXPECT_FALSE(TrailerOf(folder, SignedFile(payload + "x", table, 64) + certificate));  // padding is zeros
  // The table must close the file: a table short of the end, or past it.
  EXPECT_FALSE(TrailerOf(folder, SignedFile(payload, table - 1, 63) + certificate));
  EXPECT_FALSE(TrailerOf(folder, SignedFile(payload, table - 1, 65) + certificate));
  // A trailer at the end of a signed file sits inside a table that anyone can
  // grow without breaking the signature: never taken.
  const std::string grown = certificate + payload;
  EXPECT_FALSE(TrailerOf(folder, SignedFile("", 512, static_cast<std::uint32_t>(grown.size())) + grown));
  // Without a security directory the end of the file counts.
  const auto unsigned_ = TrailerOf(folder, SignedFile(payload, 0, 0));
  ASSERT_TRUE(unsigned_);
  EXPECT_EQ(unsigned_->offset, 512u);
}

TEST(PayloadCacheKey, TextShapeAndStampRules) {
  const PayloadCacheKey key{5242880, 5710336, 0x01DA3F2B, 0x7C9E1A40};
  EXPECT_EQ(FormatPayloadCacheKey(key), L"5242880_5710336_01DA3F2B7C9E1A40");
  EXPECT_EQ(FormatPayloadCacheKey({1, 2, 0xA, 0xB}), L"1_2_0000000A0000000B");

  TempFolder folder;
  const std::wstring stamp = folder.File(L".payload_ok");
  auto stampWith = [&](const std::wstring& text) {
    WriteFileBytes(stamp, std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
    return IsPayloadStampCurrent(stamp, key);
  };
  EXPECT_TRUE(stampWith(L"5242880_5710336_01DA3F2B7C9E1A40"));
  EXPECT_FALSE(stampWith(L"5242880_5710336_01DA3F2B7C9E1A40\r\n"));
  EXPECT_FALSE(stampWith(L"\uFEFF5242880_5710336_01DA3F2B7C9E1A40"));
  EXPECT_FALSE(stampWith(L"5242880_5710336_01DA3F2B7C9E1A41"));
  EXPECT_FALSE(stampWith(std::wstring(257, L'5')));  // over 512 bytes
  EXPECT_FALSE(stampWith(L""));
}

TEST(ExpandArchiveCommand, QuotesPathsAsLiterals) {
  EXPECT_EQ(ExpandArchiveCommand(L"C:\\Temp\\a'b\\_payload.zip", L"C:\\Temp\\a'b"),
            L"powershell.exe -NoProfile -ExecutionPolicy Bypass -Command \"Expand-Archive -LiteralPath "
            L"'C:\\Temp\\a''b\\_payload.zip' -DestinationPath 'C:\\Temp\\a''b' -Force\"");
}

// Collects what preparation posts to the main window: a hidden window of this
// thread stands in for the dialog.
class PostedMessages {
 public:
  PostedMessages() {
    window_ = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetMainWindowHandle(window_);
  }
  ~PostedMessages() {
    Take();
    SetMainWindowHandle(nullptr);
    ::DestroyWindow(window_);
  }
  // Progress values and log lines posted since the last call.
  std::pair<std::vector<int>, std::vector<std::wstring>> Take() {
    std::vector<int> progress;
    std::vector<std::wstring> log;
    MSG message;
    while (::PeekMessageW(&message, window_, WM_APP_LOG_LINE, WM_APP_OPERATION_DONE, PM_REMOVE)) {
      if (message.message == WM_APP_PROGRESS) progress.push_back(static_cast<int>(message.wParam));
      if (message.message >= WM_APP_LOG_LINE && message.message <= WM_APP_STEP_TEXT) {
        std::unique_ptr<std::wstring> text(reinterpret_cast<std::wstring*>(message.lParam));
        if (message.message == WM_APP_LOG_LINE) log.push_back(*text);
      }
    }
    return {progress, log};
  }

 private:
  HWND window_;
};

bool Logged(const std::vector<std::wstring>& log, const std::wstring& start) {
  for (const std::wstring& line : log) {
    if (line.rfind(start, 0) == 0) return true;
  }
  return false;
}

class PreparePayloadTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(InstallPowerShellStandIn()); }

  // A single-file Setup whose payload is a 10 MiB archive.
  void Pack(bool topLevelFolder) {
    const std::string prefix = topLevelFolder ? "package/" : "";
    ZipBuilder zip;
    zip.Add(prefix + "Install.ps1", "Write-Host 'x'\r\n", true);
    zip.Add(prefix + "ImeInstallCommon.ps1", "# shared\r\n", true);
    zip.Add(prefix + "filler.bin", std::string(10 * 1024 * 1024 - 400, 'f'), false);
    const std::string archive = zip.Finish();
    ASSERT_TRUE(WriteFileBytes(setup_, std::string(4096, 'M') + archive + Trailer(archive.size())));
  }
  std::wstring Prepare(EmbeddedPackageOutcome expected) {
    std::wstring result;
    error_.clear();
    EXPECT_EQ(PrepareEmbeddedPackageFrom(OpenSetup(setup_).get(), &result, &error_), expected) << error_.c_str();
    return result;
  }

  TempFolder folder_;
  const std::wstring setup_ = folder_.File(L"Setup.exe");
  std::wstring error_;
  PostedMessages posted_;
};

TEST_F(PreparePayloadTest, ExtractsOnceAndReusesTheCacheUntilSomethingChanges) {
  Pack(false);
  const std::wstring cache = Prepare(EmbeddedPackageOutcome::Ready);
  auto [progress, log] = posted_.Take();
  EXPECT_EQ(progress, (std::vector<int>{0, 4, 8, 12, 16, 20, 24, 28, 32, 36, 40, 45, 55}));
  EXPECT_TRUE(PathExists(cache + L"\\Install.ps1"));
  EXPECT_FALSE(PathExists(cache + L"\\_payload.zip"));
  // The stamp is the key (the folder's name) in UTF-16 code units, nothing else.
  const std::wstring key = cache.substr(cache.rfind(L'\\') + 1);
  EXPECT_EQ(ReadFileBytes(cache + L"\\.payload_ok"),
            std::string(reinterpret_cast<const char*>(key.data()), key.size() * sizeof(wchar_t)));

  EXPECT_EQ(Prepare(EmbeddedPackageOutcome::Ready), cache);
  std::tie(progress, log) = posted_.Take();
  EXPECT_TRUE(progress.empty());
  EXPECT_TRUE(Logged(log, L"캐시된 패키지 사용: " + cache));

  for (const auto& spoil :
       std::vector<std::function<void()>>{[&] { ::DeleteFileW((cache + L"\\ImeInstallCommon.ps1").c_str()); },
                                          [&] { WriteFileBytes(cache + L"\\.payload_ok", "stale"); }}) {
    spoil();
    EXPECT_EQ(Prepare(EmbeddedPackageOutcome::Ready), cache);
    EXPECT_TRUE(Logged(posted_.Take().second, L"단일 파일 Setup: 내장 패키지를 압축 해제합니다."));
    EXPECT_TRUE(PathExists(cache + L"\\ImeInstallCommon.ps1"));
  }

  // A rewritten Setup file gets a folder of its own; the old one stays.
  FILETIME later{0x7C9E1A40, 0x01DA3F2B};
  UniqueHandle file(::CreateFileW(setup_.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &later));
  file.reset();
  const std::wstring touched = Prepare(EmbeddedPackageOutcome::Ready);
  EXPECT_NE(touched, cache);
  EXPECT_TRUE(touched.ends_with(L"01DA3F2B7C9E1A40"));
  EXPECT_TRUE(PathExists(cache + L"\\Install.ps1"));
  RemoveTree(cache);
  RemoveTree(touched);
}

TEST_F(PreparePayloadTest, PackageInsideATopLevelFolderIsRejected) {
  Pack(true);
  Prepare(EmbeddedPackageOutcome::Failed);
  EXPECT_EQ(error_, L"압축 해제 결과에 Install.ps1 이 없습니다.\n단일 파일 Setup 이 올바르게 패킹되었는지 확인하세요.");
}

TEST_F(PreparePayloadTest, NoTrailerLeavesTheMessageAlone) {
  ASSERT_TRUE(WriteFileBytes(setup_, std::string(4096, 'M')));
  error_ = L"earlier";
  std::wstring result;
  EXPECT_EQ(PrepareEmbeddedPackageFrom(OpenSetup(setup_).get(), &result, &error_), EmbeddedPackageOutcome::NoPayload);
  EXPECT_EQ(error_, L"earlier");
}

}  // namespace
