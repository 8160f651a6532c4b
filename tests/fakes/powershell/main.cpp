// powershell.exe for the test machine: runs the few commands the installer
// gives Windows PowerShell (its script wrapper, Expand-Archive and a folder
// removal) and leaves a record of each call for the tests.
#include <windows.h>

#include <exception>
#include <string>

#include "base/text_helpers.h"
#include "fakes/powershell/command_line.h"
#include "fakes/powershell/console_output.h"
#include "fakes/powershell/file_ops.h"
#include "fakes/powershell/invocation_log.h"
#include "fakes/powershell/script_interpreter.h"
#include "fakes/powershell/zip_extract.h"

namespace {

using namespace standin;

int RunScript(const Invocation& invocation) {
  ScriptArguments arguments;
  if (invocation.language) arguments.emplace_back(L"Language", *invocation.language);
  return ScriptInterpreter(WriteOutputLine).RunFile(invocation.path, arguments);
}

int Run(const std::wstring& commandLine) {
  if (const std::wstring error = AppendInvocationRecord(commandLine); !error.empty()) {
    WriteErrorLine(L"powershell stand-in: " + error);
  }
  std::wstring error;
  const std::optional<Invocation> invocation = ParseInvocation(commandLine, error);
  if (!invocation) {
    WriteErrorLine(L"powershell stand-in: not a command it knows (" + error + L"): " + commandLine);
    return 1;
  }
  switch (invocation->kind) {
    case InvocationKind::kScript:
      return RunScript(*invocation);
    case InvocationKind::kExpandArchive:
      error = ExtractZipArchive(invocation->path, invocation->destination, invocation->force);
      if (error.empty()) return 0;
      (invocation->wrapped ? WriteOutputLine : WriteErrorLine)(error);
      return 1;
    case InvocationKind::kRemoveFolder:
      RemoveFileSystemItem(invocation->path, true);  // -ErrorAction SilentlyContinue: never fails
      return 0;
  }
  return 1;
}

}  // namespace

int wmain() {
  try {
    return Run(::GetCommandLineW());
  } catch (const std::exception& e) {
    WriteErrorLine(L"powershell stand-in: internal error: " + Utf8ToWide(e.what()));
  } catch (...) {
    WriteErrorLine(L"powershell stand-in: internal error");
  }
  return 1;
}
