#include "ops/progress_steps.h"

#include <windows.h>

#include <span>

namespace {

// Row 4's 40 is below row 3's 50 on purpose: when it follows row 3 only the
// caption changes, because the bar never moves back.
constexpr ProgressStep kInstallSteps[] = {
    {L"Host:", L"PC 종류 확인", 10},
    {L"Install x64", L"64비트(x64) 파일 복사 및 등록", 30},
    {L"Install x86", L"32비트(x86) 파일 복사 및 등록", 50},
    {L"Install ARM64X", L"ARM64X 파일 복사 및 등록", 40},
    {L"Verify registry", L"등록 상태 확인", 65},
    {L"Enabling Orlinth", L"입력기 목록에 Orlinth 추가", 80},
    {L"Selecting Orlinth for the current session", L"현재 세션에서 Orlinth 선택", 90},
    {L"Installation complete", L"설치 마무리", 95},
};

constexpr ProgressStep kUninstallSteps[] = {
    {L"Removing Orlinth", L"다른 사용자 프로필에서 제거", 20},
    {L"Removed Orlinth", L"입력기 목록에서 제거", 35},
    {L"Unregister", L"COM/TSF 등록 해제", 60},
    {L"Uninstall complete", L"삭제 마무리", 95},
};

std::wstring LowerCased(const std::wstring& text) {
  std::wstring lower = text;
  if (!lower.empty()) ::CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
  return lower;
}

}  // namespace

bool MatchesMarker(const std::wstring& line, const wchar_t* marker) {
  if (marker == nullptr || *marker == L'\0') return false;
  return LowerCased(line).find(LowerCased(marker)) != std::wstring::npos;
}

const ProgressStep* FindProgressStep(OperationKind kind, const std::wstring& line) {
  const std::span<const ProgressStep> group = kind == kOperationUninstall
                                                  ? std::span<const ProgressStep>(kUninstallSteps)
                                                  : std::span<const ProgressStep>(kInstallSteps);
  for (const ProgressStep& step : group) {
    if (MatchesMarker(line, step.marker)) return &step;
  }
  return nullptr;
}
