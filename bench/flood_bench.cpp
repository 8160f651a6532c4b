// How Setup's window copes with a script that floods it with output: lines per
// second that reach the log pane, and the worst time the window takes to
// answer a WM_NULL while the flood runs.
//   flood_bench.exe SETUP.exe
#include <windows.h>

#include <cstdio>
#include <string>

#include "res/resource_ids.h"
#include "support/setup_driver.h"

namespace {

size_t CountLines(const std::wstring& text) {
  size_t lines = 0;
  for (wchar_t c : text) lines += c == L'\n';
  return lines;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  SetupProcess setup;
  if (!setup.Start(argv[1], L"", nullptr) || setup.WaitForMainDialog(60000) == nullptr) return 1;
  setup.Click(IDC_INSTALL);
  const auto question = setup.WaitForMessageBox();
  if (!question) return 1;

  LARGE_INTEGER frequency, start, now;
  ::QueryPerformanceFrequency(&frequency);
  setup.Answer(*question, IDYES);
  ::QueryPerformanceCounter(&start);
  WaitUntil([&] { return !::IsWindow(question->window); });

  double worstMs = 0;
  int probes = 0;
  for (;;) {
    LARGE_INTEGER before, after;
    ::QueryPerformanceCounter(&before);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(setup.mainDialog(), WM_NULL, 0, 0, SMTO_NORMAL, 60000, &ignored);
    ::QueryPerformanceCounter(&after);
    const double ms = 1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) / frequency.QuadPart;
    if (ms > worstMs) worstMs = ms;
    ++probes;
    if (setup.WaitForMessageBox(20).has_value()) break;
  }
  ::QueryPerformanceCounter(&now);
  const double seconds = static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart;
  const size_t lines = CountLines(setup.ControlText(IDC_LOG_PANE));
  std::printf("log lines shown: %zu\nseconds from Yes to the closing message: %.2f\n", lines, seconds);
  std::printf("lines per second: %.0f\nworst WM_NULL answer: %.1f ms over %d probes\n", lines / seconds, worstMs,
              probes);
  setup.Kill();
  return 0;
}
