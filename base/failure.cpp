#include "base/failure.h"

#include "base/run_log.h"
#include "base/text_helpers.h"

bool FailWithCode(std::wstring* message, const std::wstring& text, unsigned long code) {
  // The first line is enough to find the step again; the code says why.
  const std::wstring_view firstLine = std::wstring_view(text).substr(0, text.find(L'\n'));
  WriteRunLog(L"[오류 " + std::to_wstring(code) + L"] " + std::wstring(WithoutLineEnd(firstLine)));
  return FailWithMessage(message, text);
}
