#include "package/signed_file_list.h"

#include "base/failure.h"
#include "base/file_helpers.h"
#include "base/path_helpers.h"
#include "base/text_helpers.h"
#include "base/version_compare.h"
#include "net/release_signature.h"

namespace {

constexpr std::uint64_t kLargestList = 1024 * 1024;
constexpr std::uint64_t kLargestSignatureFile = 1024;
constexpr std::string_view kHeader = "# orlinth-package-1 ";
constexpr const wchar_t* kRequiredScripts[] = {L"Install.ps1", L"Uninstall.ps1", L"ImeInstallCommon.ps1"};

bool IsLowerHexDigest(std::string_view text) {
  if (text.size() != 64) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

// Folder names and a file name joined by "/": none empty, "." or "..", and
// nothing that could name another place (a drive, a stream, a "\").
bool IsPlainRelativePath(std::string_view path) {
  if (path.empty()) return false;
  for (std::size_t start = 0;;) {
    const std::size_t end = path.find('/', start);
    const std::string_view part =
        path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (part.empty() || part == "." || part == "..") return false;
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  for (char c : path) {
    if (c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20) return false;
  }
  return true;
}

// The lines without their ends; false when the text does not end with one.
bool SplitLines(std::string_view text, std::vector<std::string_view>* lines) {
  if (text.empty() || text.back() != '\n') return false;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines->push_back(line);
    start = end + 1;
  }
  return true;
}

bool IsListed(const std::vector<ListedFile>& files, const std::wstring& path) {
  for (const ListedFile& file : files) {
    if (EqualsIgnoringCase(file.path, path)) return true;
  }
  return false;
}

}  // namespace

bool ParseFileList(std::string_view text, FileList* list, std::wstring* reason) {
  std::vector<std::string_view> lines;
  if (!SplitLines(text, &lines) || lines.front().substr(0, kHeader.size()) != kHeader ||
      !IsPlainVersionToken(Utf8ToWide(lines.front().substr(kHeader.size())))) {
    return FailWithMessage(reason, L"파일 목록의 형식이 올바르지 않습니다.");
  }
  std::vector<ListedFile> parsed;
  for (std::size_t index = 1; index < lines.size(); ++index) {
    const std::string_view line = lines[index];
    if (line.size() <= 66 || !IsLowerHexDigest(line.substr(0, 64)) || line.substr(64, 2) != "  " ||
        !IsPlainRelativePath(line.substr(66))) {
      return FailWithMessage(reason, L"파일 목록의 " + std::to_wstring(index + 1) + L"번째 줄이 올바르지 않습니다.");
    }
    const std::string_view path = line.substr(66);
    std::wstring local = Utf8ToWide(path);
    for (wchar_t& c : local) {
      if (c == L'/') c = L'\\';
    }
    if (local.empty() || IsListed(parsed, local)) {
      return FailWithMessage(reason, L"파일 목록에 같은 파일이 두 번 있습니다: " + Utf8ToWide(path));
    }
    parsed.push_back({std::move(local), Utf8ToWide(line.substr(0, 64))});
  }
  for (const wchar_t* script : kRequiredScripts) {
    if (!IsListed(parsed, script))
      return FailWithMessage(reason, std::wstring(L"파일 목록에 없는 스크립트: ") + script);
  }
  list->version = Utf8ToWide(lines.front().substr(kHeader.size()));
  list->files = std::move(parsed);
  return true;
}

bool ReadSignedFileList(const std::wstring& folder, const std::vector<P256PublicKey>& keys, FileList* list,
                        std::wstring* reason) {
  // Read once: the bytes checked are the bytes parsed.
  const std::string listText = ReadSmallFile(JoinPath(folder, kFileListName), kLargestList);
  const std::string signatures = ReadSmallFile(JoinPath(folder, kFileListSignatureName), kLargestSignatureFile);
  if (listText.empty() || signatures.empty()) {
    return FailWithMessage(reason, L"서명된 파일 목록(package.sha256, package.sha256.sig)이 없습니다.");
  }
  std::string lines = signatures;
  std::erase(lines, '\r');
  switch (CheckReleaseSignatures(listText, lines, '\n', keys)) {
    case SignatureCheck::Malformed:
      return FailWithMessage(reason, L"파일 목록의 서명 형식이 올바르지 않습니다.");
    case SignatureCheck::NotVerified:
      return FailWithMessage(reason, L"파일 목록의 서명을 확인하지 못했습니다.");
    case SignatureCheck::Verified:
      break;
  }
  return ParseFileList(listText, list, reason);
}
