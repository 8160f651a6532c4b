// Programs Setup starts: by full path, usually hidden and waited for, with the
// command line and working folder the caller gives and an environment built
// from scratch (see child_environment.h) plus the caller's settings.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A variable set for the child; an empty value leaves it out.
struct EnvironmentSetting {
  std::wstring name;
  std::wstring value;
};

struct ChildProgram {
  std::wstring path;                             // the program itself, never searched for
  std::wstring commandLine;                      // what the program sees, its name included
  std::wstring workingFolder;                    // empty: System32
  std::vector<EnvironmentSetting> environment;   // on top of the clean environment
  std::function<void(std::string_view)> output;  // when set: standard output and error, as they come
  bool wait = true;                              // false: started and left to run
  bool hidden = true;                            // false: the program shows its window as it likes
  // A script: while it runs, it ends when Setup ends (however Setup ends), and
  // it reads from the null device, so a prompt fails at once instead of
  // waiting for nobody. What it leaves running once it has ended stays.
  bool endsWithSetup = false;
};

enum class ChildRunOutcome { Finished, Running, NoPipe, NotStarted };

struct ChildRunResult {
  ChildRunOutcome outcome = ChildRunOutcome::NotStarted;
  unsigned long code = 0;  // Finished: the exit code (1 when unreadable); otherwise the system error
};

// Starts the program and, unless told not to, feeds its output to the callback
// until every writer has closed it, then waits for its exit.
ChildRunResult RunChildProgram(const ChildProgram& program);

// The environment block ("NAME=value", each ended by a NUL, and one NUL more)
// of `current` with the settings applied, sorted by name as Windows keeps it.
std::wstring EnvironmentBlockWith(const wchar_t* current, const std::vector<EnvironmentSetting>& settings);
