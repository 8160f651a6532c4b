#include "base/child_process.h"

#include <windows.h>

#include <algorithm>

#include "base/child_environment.h"
#include "base/path_helpers.h"
#include "base/text_helpers.h"
#include "base/win_handle.h"

namespace {

constexpr DWORD kReadChunk = 4096;

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

// Fails (broken pipe) once every writer has exited.
void ReadUntilClosed(HANDLE readEnd, const std::function<void(std::string_view)>& output) {
  char chunk[kReadChunk];
  DWORD read = 0;
  while (::ReadFile(readEnd, chunk, kReadChunk, &read, nullptr) && read > 0) output(std::string_view(chunk, read));
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
  std::vector<EnvironmentSetting> settings = CleanChildEnvironment();
  settings.insert(settings.end(), program.environment.begin(), program.environment.end());
  std::wstring environment = EnvironmentBlockWith(nullptr, settings);
  const std::wstring workingFolder = program.workingFolder.empty() ? SystemFolder() : program.workingFolder;

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = (program.hidden ? STARTF_USESHOWWINDOW : 0) | (program.output ? STARTF_USESTDHANDLES : 0);
  startup.wShowWindow = SW_HIDE;
  startup.hStdOutput = writeEnd.get();
  startup.hStdError = writeEnd.get();
  std::wstring commandLine = program.commandLine;
  PROCESS_INFORMATION started = {};
  const BOOL ok =
      ::CreateProcessW(program.path.c_str(), commandLine.data(), nullptr, nullptr, program.output ? TRUE : FALSE,
                       (program.hidden ? CREATE_NO_WINDOW : 0) | CREATE_UNICODE_ENVIRONMENT, environment.data(),
                       workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &started);
  const DWORD startError = ::GetLastError();
  // Only the child may hold a write end now, so reading ends when it exits.
  writeEnd.reset();
  if (!ok) return {ChildRunOutcome::NotStarted, startError};
  UniqueProcessInformation child;
  child.Adopt(started);
  if (!program.wait) return {ChildRunOutcome::Running, 0};

  if (program.output) ReadUntilClosed(readEnd.get(), program.output);
  readEnd.reset();
  ::WaitForSingleObject(child.process.get(), INFINITE);
  DWORD exitCode = 1;
  if (!::GetExitCodeProcess(child.process.get(), &exitCode)) exitCode = 1;
  return {ChildRunOutcome::Finished, exitCode};
}
