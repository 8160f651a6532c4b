#include "base/child_process.h"

#include <windows.h>

#include <algorithm>

#include "base/child_environment.h"
#include "base/path_helpers.h"
#include "base/text_helpers.h"
#include "base/win_handle.h"

namespace {

constexpr DWORD kReadChunk = 4096;
// The longest an idle pipe waits before it is looked at again.
constexpr DWORD kIdlePollMs = 20;

// The name of an entry; entries such as "=C:=C:\x" keep their leading "=".
std::wstring_view EntryName(std::wstring_view entry) { return entry.substr(0, entry.find(L'=', 1)); }

bool NameLess(const std::wstring& a, const std::wstring& b) {
  const std::wstring_view left = EntryName(a);
  const std::wstring_view right = EntryName(b);
  return ::CompareStringOrdinal(left.data(), static_cast<int>(left.size()), right.data(),
                                static_cast<int>(right.size()), TRUE) == CSTR_LESS_THAN;
}

std::vector<std::wstring> SplitBlock(const wchar_t* block) {
  std::vector<std::wstring> entries;
  for (const wchar_t* entry = block; entry != nullptr && *entry != L'\0'; entry += entries.back().size() + 1) {
    entries.emplace_back(entry);
  }
  return entries;
}

// Reads while the child runs, then what it left in the pipe. Not until every
// writer has closed it: a helper the child leaves running may hold a copy of
// the write end for as long as it lives.
void ReadWhileRunning(HANDLE readEnd, HANDLE child, const std::function<void(std::string_view)>& output) {
  char chunk[kReadChunk];
  // An idle pipe is looked at again soon after output, and less often the
  // longer it stays quiet, so that a flood is read at full speed.
  DWORD pause = 1;
  for (bool ended = false;;) {
    DWORD available = 0;
    if (!::PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr)) return;  // every writer is gone
    if (available == 0) {
      if (ended) return;
      ended = ::WaitForSingleObject(child, pause) == WAIT_OBJECT_0;
      pause = pause * 2 > kIdlePollMs ? kIdlePollMs : pause * 2;
      continue;
    }
    pause = 1;
    DWORD read = 0;
    if (!::ReadFile(readEnd, chunk, available < kReadChunk ? available : kReadChunk, &read, nullptr) || read == 0) {
      return;
    }
    output(std::string_view(chunk, read));
  }
}

// A job of the child's own: while it runs, Setup's end (however it ends)
// closes the job and so ends the child and whatever it started.
UniqueHandle EndingJob() {
  UniqueHandle job(::CreateJobObjectW(nullptr, nullptr));
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job && !::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits))) {
    job.reset();
  }
  return job;
}

// Once the child has ended, what it left running (a tray or dictionary
// process of the product, say) is let go: the job no longer ends it.
void LetGo(HANDLE job) {
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
}

// Puts the suspended child into the job and lets it run; a child that cannot
// be bound to Setup's life does not run at all.
bool BindToSetup(HANDLE job, const PROCESS_INFORMATION& started) {
  if (job != nullptr && ::AssignProcessToJobObject(job, started.hProcess) &&
      ::ResumeThread(started.hThread) != DWORD(-1)) {
    return true;
  }
  ::TerminateProcess(started.hProcess, 1);
  return false;
}

}  // namespace

std::wstring EnvironmentBlockWith(const wchar_t* current, const std::vector<EnvironmentSetting>& settings) {
  std::vector<std::wstring> entries = SplitBlock(current);
  for (const EnvironmentSetting& setting : settings) {
    std::erase_if(entries,
                  [&](const std::wstring& entry) { return EqualsIgnoringCase(EntryName(entry), setting.name); });
    if (!setting.value.empty()) entries.push_back(setting.name + L'=' + setting.value);
  }
  std::stable_sort(entries.begin(), entries.end(), NameLess);
  std::wstring block;
  for (const std::wstring& entry : entries) block.append(entry).push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

ChildRunResult RunChildProgram(const ChildProgram& program) {
  UniqueHandle readEnd;
  UniqueHandle writeEnd;
  if (program.output) {
    SECURITY_ATTRIBUTES inheritable = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    if (!::CreatePipe(readEnd.put(), writeEnd.put(), &inheritable, 0)) {
      return {ChildRunOutcome::NoPipe, ::GetLastError()};
    }
    ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
  }
  UniqueHandle nothingToRead;
  if (program.endsWithSetup) {
    SECURITY_ATTRIBUTES inheritable = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    nothingToRead.reset(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                      OPEN_EXISTING, 0, nullptr));
    if (!nothingToRead) return {ChildRunOutcome::NoPipe, ::GetLastError()};
  }
  const bool handsHandles = program.output || program.endsWithSetup;
  std::vector<EnvironmentSetting> settings = CleanChildEnvironment();
  settings.insert(settings.end(), program.environment.begin(), program.environment.end());
  const std::wstring system = SystemEnvironmentBlock();
  std::wstring environment = EnvironmentBlockWith(system.empty() ? nullptr : system.c_str(), settings);
  const std::wstring workingFolder = program.workingFolder.empty() ? SystemFolder() : program.workingFolder;

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = (program.hidden ? STARTF_USESHOWWINDOW : 0) | (handsHandles ? STARTF_USESTDHANDLES : 0);
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = nothingToRead.get();
  startup.hStdOutput = writeEnd.get();
  startup.hStdError = writeEnd.get();
  std::wstring commandLine = program.commandLine;
  PROCESS_INFORMATION started = {};
  const BOOL ok =
      ::CreateProcessW(program.path.c_str(), commandLine.data(), nullptr, nullptr, handsHandles ? TRUE : FALSE,
                       (program.hidden ? CREATE_NO_WINDOW : 0) | (program.endsWithSetup ? CREATE_SUSPENDED : 0) |
                           CREATE_UNICODE_ENVIRONMENT,
                       environment.data(), workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &started);
  const DWORD startError = ::GetLastError();
  // Only the child may hold a write end now, so reading ends when it exits.
  writeEnd.reset();
  nothingToRead.reset();
  if (!ok) return {ChildRunOutcome::NotStarted, startError};
  UniqueProcessInformation child;
  child.Adopt(started);
  UniqueHandle job;
  if (program.endsWithSetup) {
    job = EndingJob();
    if (!BindToSetup(job.get(), started)) return {ChildRunOutcome::NotStarted, ::GetLastError()};
  }
  if (!program.wait) {
    // Nobody waits to let it go: the job stays open, on purpose, until Setup ends.
    static_cast<void>(job.release());
    return {ChildRunOutcome::Running, 0};
  }

  if (program.output) ReadWhileRunning(readEnd.get(), child.process.get(), program.output);
  readEnd.reset();
  ::WaitForSingleObject(child.process.get(), INFINITE);
  if (job) LetGo(job.get());
  DWORD exitCode = 1;
  if (!::GetExitCodeProcess(child.process.get(), &exitCode)) exitCode = 1;
  return {ChildRunOutcome::Finished, exitCode};
}
