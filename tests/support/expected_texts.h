// Texts the user sees, as tests expect them.
#pragma once

#include <string>

#include "base/setup_version.h"

// The log pane right after start, without the /update line.
inline const std::wstring kExpectedStartupLog =
    std::wstring(L"Orlinth Setup ") + kSetupVersion +
    L"\r\n"
    L"• 이미 설치된 경우 [업데이트]로 파일을 덮어쓰고, [삭제]로 제거할 수 있습니다.\r\n"
    L"• 관리자 권한(UAC)이 필요합니다.\r\n"
    L"• 설치 패키지는 서버에서 받아 파일만 교체합니다 (로컬 폴더/내장 패키지 폴백 지원).\r\n"
    L"• 진행 상황은 위 진행률과 단계 문구로 표시됩니다.\r\n";

inline const std::wstring kExpectedUpdateHintLine = L"• /update : 자동 업데이트를 시작합니다.\r\n";
