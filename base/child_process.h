// Programs Setup starts: hidden, by full path, with the command line,
// environment and working folder the caller gives, usually waited for.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A variable set on top of Setup's own environment; an empty value removes it.
struct EnvironmentSetting {
  std::wstring name;
  std::wstring value;
};

struct HiddenProgram {
  std::wstring path;                             // the program itself, never searched for
  std::wstring commandLine;                      // what the program sees, its name included
  std::wstring workingFolder;                    // empty: Setup's own
  std::vector<EnvironmentSetting> environment;   // empty: Setup's environment as it is
  std::function<void(std::string_view)> output;  // when set: standard output and error, as they come
  bool wait = true;                              // false: started and left to run
};

enum class HiddenRunOutcome { Finished, Running, NoPipe, NotStarted };

struct HiddenRunResult {
  HiddenRunOutcome outcome = HiddenRunOutcome::NotStarted;
  unsigned long code = 0;  // Finished: the exit code (1 when unreadable); otherwise the system error
};

// Starts the program and, unless told not to, feeds its output to the callback
// until every writer has closed it, then waits for its exit.
HiddenRunResult RunHiddenProgram(const HiddenProgram& program);

// The environment block ("NAME=value", each ended by a NUL, and one NUL more)
// of `current` with the settings applied, sorted by name as Windows keeps it.
std::wstring EnvironmentBlockWith(const wchar_t* current, const std::vector<EnvironmentSetting>& settings);
