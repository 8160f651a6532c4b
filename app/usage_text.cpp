#include "app/usage_text.h"

std::wstring UsageText() {
  return L"Orlinth Setup 사용법\n\n"
         L"Setup.exe [/quiet | /passive] [/uninstall] [/update] [/allowdowngrade] [/log:<파일>] [/noselfupdate]\n\n"
         L"/quiet (/S, /silent, /verysilent, /q, /qn)\t창 없이 설치하거나 삭제합니다.\n"
         L"/passive (/qb)\t진행 창만 보이며 설치하거나 삭제합니다.\n"
         L"/uninstall\t일본어 키보드를 삭제합니다 (창에서는 바로 묻습니다).\n"
         L"/update\t묻지 않고 바로 업데이트합니다.\n"
         L"/allowdowngrade\t설치된 버전보다 낮은 패키지도 설치합니다.\n"
         L"/log:<파일>\t로그를 .log 또는 .txt 파일에도 씁니다.\n"
         L"/noselfupdate\t새 Setup을 확인하지 않습니다.\n"
         L"/?, /h, /help\t이 도움말을 보여 줍니다.\n\n"
         L"종료 코드 (/quiet, /passive):\n"
         L"0 성공, 3010 성공(재부팅 필요), 1602 사용자가 취소, 1603 실패, 1612 서버에 연결할 수 없고 포함된 "
         L"패키지 없음, 1618 다른 Setup이 작업 중, 1625 정책에 의해 거부됨, 1638 더 새 버전이 설치되어 있음, 1639 "
         L"잘못된 명령줄, 112 디스크 공간 부족, 1 관리자 권한 없음";
}
