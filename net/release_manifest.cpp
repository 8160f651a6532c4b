#include "net/release_manifest.h"

#include "base/failure.h"
#include "base/language_table.h"
#include "base/text_helpers.h"
#include "build_config.h"
#include "net/http_client.h"

namespace {

// A published answer says "ok":true, with at most one blank after the colon.
bool IsPublished(const std::string& answer) {
  return answer.find("\"ok\":true") != std::string::npos || answer.find("\"ok\": true") != std::string::npos;
}

bool IsVersionCharacter(wchar_t c) {
  return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'.' || c == L'_' ||
         c == L'+' || c == L'-';
}

}  // namespace

bool IsPlainVersionToken(std::wstring_view text) {
  if (text.empty() || text.size() > 64 || text == L"." || text == L"..") return false;
  for (wchar_t c : text) {
    if (!IsVersionCharacter(c)) return false;
  }
  return true;
}

bool ReadReleaseManifest(const std::string& answer, ReleaseManifest* manifest, std::wstring* errorText) {
  if (manifest == nullptr) return false;
  if (!IsPublished(answer))
    return FailWithMessage(errorText, L"최신 버전 정보가 아직 게시되지 않았거나 서버 오류입니다.");

  const std::string tag = TargetLanguage().shortTag;
  auto value = [&](const std::string& key) { return Utf8ToWide(ExtractJsonString(answer, key)); };
  manifest->setupVersion = value("setupVersion");
  manifest->setupUrl = value("setup" + tag + "Url");
  manifest->setupSha256 = value("setup" + tag + "Sha256");
  // The language's own Setup version wins over the shared one when given.
  const std::wstring taggedVersion = value("setup" + tag + "Version");
  if (!taggedVersion.empty()) manifest->setupVersion = taggedVersion;
  manifest->packageVersion = value("package" + tag + "Version");
  manifest->packageUrl = value("package" + tag + "Url");
  manifest->packageSha256 = value("package" + tag + "Sha256");

  // A Setup version that is no plain token is no offer.
  if (!IsPlainVersionToken(manifest->setupVersion)) manifest->setupVersion.clear();
  if (!IsPlainVersionToken(manifest->packageVersion) || manifest->packageUrl.empty() ||
      manifest->packageSha256.empty()) {
    return FailWithMessage(errorText, L"latest 응답에 package 정보가 없습니다.");
  }
  return true;
}

bool FetchReleaseManifest(ReleaseManifest* manifest, std::wstring* errorText, std::uint64_t budgetMs) {
  if (manifest == nullptr) return false;
  std::string answer;
  std::uint32_t status = 0;
  if (!FetchUrl(std::wstring(kReleaseBaseUrl) + L"/appLatest", &answer, &status, nullptr, errorText, budgetMs)) {
    return false;
  }
  return ReadReleaseManifest(answer, manifest, errorText);
}
