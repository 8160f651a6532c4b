#include "fakes/powershell/console_output.h"

#include <windows.h>

#include "base/text_helpers.h"

namespace standin {
namespace {

void WriteLine(DWORD stream, const std::wstring& line) {
  const HANDLE handle = ::GetStdHandle(stream);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  const std::wstring text = line + L"\r\n";
  DWORD mode = 0;
  DWORD written = 0;
  if (::GetConsoleMode(handle, &mode)) {
    ::WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  const std::string bytes = WideToUtf8(text);
  ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

void WriteOutputLine(const std::wstring& line) { WriteLine(STD_OUTPUT_HANDLE, line); }

void WriteErrorLine(const std::wstring& line) { WriteLine(STD_ERROR_HANDLE, line); }

}  // namespace standin
