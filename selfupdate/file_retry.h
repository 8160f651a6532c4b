// Bounded retries for file steps that may meet a file another process still
// holds for a moment.
#pragma once

#include <windows.h>

// Runs `attempt` up to `attempts` times, pausing 100 ms after every failure.
// True on the first success.
template <typename Attempt>
bool RetryFileStep(int attempts, Attempt attempt) {
  for (int tried = 0; tried < attempts; ++tried) {
    if (attempt()) return true;
    ::Sleep(100);
  }
  return false;
}
