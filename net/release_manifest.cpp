#include "net/release_manifest.h"

#include <windows.h>

#include "base/failure.h"
#include "base/json_object.h"
#include "base/language_table.h"
#include "base/text_helpers.h"
#include "base/version_compare.h"
#include "build_config.h"
#include "net/http_client.h"
#include "net/http_exchange.h"
#include "net/release_signature.h"

namespace {

bool IsSha256Text(const std::wstring& text) {
  if (text.size() != 64) return false;
  for (wchar_t c : text) {
    if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'))) return false;
  }
  return true;
}

// The signed part of a keyed answer can be no larger than this.
constexpr std::size_t kLargestSignedPart = 64 * 1024;
constexpr char kSignedFormat[] = "orlinth-appLatest-1";

// The signed part of a keyed build's answer, once it is the publisher's, of
// the known format and still valid; false with a message otherwise.
bool OpenSignedPart(const JsonMembers& answer, const std::vector<P256PublicKey>& keys, std::uint64_t nowSeconds,
                    JsonMembers* signedPart, std::wstring* errorText) {
  const std::string payloadHex = JsonStringMember(answer, "signedPayload");
  const std::string signatures = JsonStringMember(answer, "signatures");
  if (payloadHex.empty() || signatures.empty()) return FailWithMessage(errorText, L"latest 응답에 서명이 없습니다.");
  if (payloadHex.size() > 2 * kLargestSignedPart) {
    return FailWithMessage(errorText, L"latest 응답의 서명된 정보가 너무 큽니다.");
  }
  std::string payload;
  const wchar_t* const malformed = L"latest 응답의 서명 형식이 올바르지 않습니다.";
  if (!DecodeLowerHex(payloadHex, &payload)) return FailWithMessage(errorText, malformed);
  switch (CheckReleaseSignatures(payload, signatures, ',', keys)) {
    case SignatureCheck::Malformed:
      return FailWithMessage(errorText, malformed);
    case SignatureCheck::NotVerified:
      return FailWithMessage(errorText,
                             L"latest 응답의 서명을 확인하지 못했습니다.\n공식 릴리스 서버의 응답이 아닐 수 있습니다.");
    case SignatureCheck::Verified:
      break;
  }
  JsonMembers members;
  std::wstring reason;
  if (!ReadJsonObject(payload, &members, &reason)) {
    return FailWithMessage(errorText, L"latest 응답의 서명된 정보를 읽지 못했습니다: " + reason);
  }
  const std::optional<std::uint64_t> expires =
      ParseDecimalDigits(std::string_view(JsonStringMember(members, "expires")));
  if (JsonStringMember(members, "format") != kSignedFormat || !expires) {
    return FailWithMessage(errorText, L"latest 응답의 형식을 알 수 없습니다.");
  }
  if (*expires <= nowSeconds) {
    return FailWithMessage(errorText,
                           L"latest 응답의 유효 기간이 지났습니다.\n컴퓨터의 날짜와 시간이 올바른지 확인해 주세요.");
  }
  *signedPart = std::move(members);
  return true;
}

// The release members of an answer (or of its signed part).
bool ReadReleaseMembers(const JsonMembers& answer, ReleaseManifest* manifest, std::wstring* errorText) {
  if (!JsonIsTrue(answer, "ok"))
    return FailWithMessage(errorText, L"최신 버전 정보가 아직 게시되지 않았거나 서버 오류입니다.");

  const std::string tag = TargetLanguage().shortTag;
  auto value = [&](const std::string& key) { return Utf8ToWide(JsonStringMember(answer, key)); };
  manifest->setupVersion = value("setupVersion");
  manifest->setupUrl = value("setup" + tag + "Url");
  manifest->setupSha256 = value("setup" + tag + "Sha256");
  // The language's own Setup version wins over the shared one when given.
  const std::wstring taggedVersion = value("setup" + tag + "Version");
  if (!taggedVersion.empty()) manifest->setupVersion = taggedVersion;
  manifest->packageVersion = value("package" + tag + "Version");
  manifest->packageUrl = value("package" + tag + "Url");
  manifest->packageSha256 = value("package" + tag + "Sha256");

  // A Setup version that is no plain token is no offer; a digest nothing can
  // match is none.
  if (!IsPlainVersionToken(manifest->setupVersion)) manifest->setupVersion.clear();
  if (!IsSha256Text(manifest->setupSha256)) manifest->setupSha256.clear();
  if (!IsPlainVersionToken(manifest->packageVersion) || manifest->packageUrl.empty() ||
      !IsSha256Text(manifest->packageSha256)) {
    return FailWithMessage(errorText, L"latest 응답에 package 정보가 없습니다.");
  }
  return true;
}

}  // namespace

std::uint64_t UnixSecondsNow() {
  FILETIME now = {};
  ::GetSystemTimeAsFileTime(&now);
  const std::uint64_t ticks = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  constexpr std::uint64_t kUnixEpochTicks = 116444736000000000ULL;  // 1970-01-01 in 100 ns since 1601
  return ticks < kUnixEpochTicks ? 0 : (ticks - kUnixEpochTicks) / 10000000ULL;
}

bool ReadReleaseAnswer(const std::string& answer, const std::vector<P256PublicKey>& keys, std::uint64_t nowSeconds,
                       ReleaseManifest* manifest, std::wstring* errorText) {
  if (manifest == nullptr) return false;
  JsonMembers members;
  std::wstring reason;
  if (!ReadJsonObject(answer, &members, &reason)) {
    return FailWithMessage(errorText, L"latest 응답을 읽지 못했습니다: " + reason);
  }
  if (keys.empty()) return ReadReleaseMembers(members, manifest, errorText);
  JsonMembers signedPart;
  return OpenSignedPart(members, keys, nowSeconds, &signedPart, errorText) &&
         ReadReleaseMembers(signedPart, manifest, errorText);
}

bool ReadReleaseManifest(const std::string& answer, ReleaseManifest* manifest, std::wstring* errorText) {
  return ReadReleaseAnswer(answer, BuiltInReleaseKeys(), UnixSecondsNow(), manifest, errorText);
}

bool FetchReleaseManifest(ReleaseManifest* manifest, std::wstring* errorText, std::uint64_t budgetMs,
                          AnswerTrouble* trouble) {
  AnswerTrouble ignored = AnswerTrouble::None;
  AnswerTrouble& why = trouble != nullptr ? *trouble : ignored;
  why = AnswerTrouble::None;
  if (manifest == nullptr) return false;
  std::string answer;
  std::uint32_t status = 0;
  if (!FetchUrl(std::wstring(kReleaseBaseUrl) + L"/appLatest", &answer, &status, nullptr, errorText, budgetMs)) {
    if (IsSignInStatus(status)) why = AnswerTrouble::SignIn;
    return false;
  }
  if (ReadReleaseManifest(answer, manifest, errorText)) return true;
  if (IsKeyedBuild()) why = AnswerTrouble::Refused;
  return false;
}
