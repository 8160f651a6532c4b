// The command lines the installer starts powershell.exe with.
#pragma once

#include <optional>
#include <string>

namespace standin {

enum class InvocationKind {
  kScript,         // & '<script>' [-Language '<code>']
  kExpandArchive,  // Expand-Archive -LiteralPath '<zip>' -DestinationPath '<dir>' -Force
  kRemoveFolder,   // Remove-Item -LiteralPath '<dir>' -Recurse -Force -ErrorAction SilentlyContinue
};

struct Invocation {
  InvocationKind kind = InvocationKind::kScript;
  // Inside the try/catch wrapper, whose catch prints errors to the output.
  bool wrapped = false;
  std::wstring path;         // the script, the archive or the folder to remove
  std::wstring destination;  // Expand-Archive only
  bool force = false;        // Expand-Archive only
  std::optional<std::wstring> language;
};

// The invocation in a full command line (program, switches, -Command text);
// nullopt with 'error' set for anything else.
std::optional<Invocation> ParseInvocation(const std::wstring& commandLine, std::wstring& error);

}  // namespace standin
