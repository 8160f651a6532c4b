#include "package/script_policy.h"

#include "base/failure.h"
#include "base/file_helpers.h"
#include "base/path_helpers.h"
#include "base/text_helpers.h"

namespace {

constexpr wchar_t kPolicyKey[] = L"SOFTWARE\\Policies\\Microsoft\\Windows\\PowerShell";
constexpr const wchar_t* kScripts[] = {L"Install.ps1", L"Uninstall.ps1", L"ImeInstallCommon.ps1"};
constexpr std::uint64_t kLargestScript = 16 * 1024 * 1024;

std::optional<DWORD> ReadNumber(HKEY root, const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (::RegGetValueW(root, kPolicyKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

std::wstring ReadText(HKEY root, const wchar_t* name) {
  wchar_t value[64] = {};
  DWORD size = sizeof(value);
  if (::RegGetValueW(root, kPolicyKey, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return {};
  return value;
}

// The machine's policy wins over the user's, as PowerShell takes them.
ScriptPolicy CurrentPolicy() {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    const std::optional<DWORD> enabled = ReadNumber(root, L"EnableScripts");
    if (enabled) return PolicyFor(enabled, ReadText(root, L"ExecutionPolicy"));
  }
  return ScriptPolicy::Any;
}

}  // namespace

ScriptPolicy PolicyFor(std::optional<DWORD> enableScripts, std::wstring_view executionPolicy) {
  if (!enableScripts) return ScriptPolicy::Any;
  if (*enableScripts == 0) return ScriptPolicy::None;
  return EqualsIgnoringCase(executionPolicy, L"AllSigned") ? ScriptPolicy::SignedOnly : ScriptPolicy::Any;
}

bool HasSignatureBlock(std::string_view script) {
  return script.find("# SIG # Begin signature block") != std::string_view::npos;
}

bool ScriptPolicyAllows(const std::wstring& packageFolder, std::wstring* refusal) {
  switch (CurrentPolicy()) {
    case ScriptPolicy::Any:
      return true;
    case ScriptPolicy::None:
      return FailWithMessage(refusal,
                             L"이 컴퓨터의 정책이 PowerShell 스크립트 실행을 막고 있어 설치 스크립트를 실행할 수 "
                             L"없습니다.\n관리자에게 정책 설정을 확인해 주세요.");
    case ScriptPolicy::SignedOnly:
      break;
  }
  for (const wchar_t* name : kScripts) {
    const std::wstring path = JoinPath(packageFolder, name);
    if (!IsRegularFile(path)) continue;
    if (!HasSignatureBlock(ReadSmallFile(path, kLargestScript))) {
      return FailWithMessage(refusal, L"이 컴퓨터의 정책은 서명된 PowerShell 스크립트만 실행하지만, 설치 패키지의 " +
                                          std::wstring(name) +
                                          L"에 서명이 없습니다.\n서명된 설치 패키지를 사용하거나 관리자에게 "
                                          L"문의해 주세요.");
    }
  }
  return true;
}
