// Time from starting a program to its first window, shown and answering:
// Setup against its own dialog resource behind a procedure that does
// nothing, started in turn seven times each; prints each time, the medians
// and their ratio.
//   window_start.exe SETUP.exe BARE.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_clock.h"

#include "support/setup_driver.h"

namespace {

// Milliseconds until a visible dialog of the process answers; below 0 when
// none came within a minute.
double TimeToWindow(const std::wstring& program) {
  SetupProcess process;
  const double start = Seconds();
  if (!process.Start(program, L"", nullptr)) return -1;
  HWND shown = nullptr;
  while (shown == nullptr && Seconds() - start < 60) {
    const std::vector<HWND> dialogs = FindTopWindows(DialogsOfProcess(process.processId()));
    if (!dialogs.empty()) shown = dialogs.front();
    if (shown == nullptr) ::Sleep(1);
  }
  if (shown == nullptr) return -1;
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(shown, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &ignored);
  const double elapsed = 1000 * (Seconds() - start);
  ::PostMessageW(shown, WM_CLOSE, 0, 0);
  process.WaitForExit(20000);
  return elapsed;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  constexpr int kStarts = 7;
  // Once each first, unmeasured: the system's files then come from its cache for both.
  if (TimeToWindow(argv[1]) < 0 || TimeToWindow(argv[2]) < 0) return 1;
  std::vector<double> setup, bare;
  for (int i = 0; i < kStarts; ++i) {
    setup.push_back(TimeToWindow(argv[1]));
    bare.push_back(TimeToWindow(argv[2]));
    std::printf("start %d: Setup %.0f ms, bare dialog %.0f ms\n", i + 1, setup.back(), bare.back());
    if (setup.back() < 0 || bare.back() < 0) return 1;
  }
  std::printf("median: Setup %.0f ms, bare dialog %.0f ms; Setup / bare dialog: %.2f\n", Median(setup), Median(bare),
              Median(setup) / Median(bare));
  return 0;
}
