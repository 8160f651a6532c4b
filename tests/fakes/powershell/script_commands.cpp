#include "fakes/powershell/script_commands.h"

#include <windows.h>

#include <cwctype>

#include "base/text_helpers.h"
#include "fakes/powershell/file_ops.h"
#include "fakes/powershell/registry_ops.h"
#include "fakes/powershell/script_errors.h"

namespace standin {
namespace {

using Handler = void (*)(const CommandArguments&, const OutputSink&);

struct Command {
  const wchar_t* name;
  CommandSyntax syntax;
  Handler handler;
};

void Check(const CommandArguments& arguments, const std::wstring& error) {
  if (!error.empty() && !arguments.Silent()) throw ScriptRuntimeError{error};
}

std::wstring Required(const CommandArguments& arguments, const std::wstring& name) {
  if (!arguments.Has(name)) throw ScriptRuntimeError{L"The parameter -" + name + L" is missing."};
  return Text(arguments.Get(name));
}

std::wstring FileSystemPath(const CommandArguments& arguments, const std::wstring& parameter) {
  const std::wstring path = RequirePath(arguments, parameter);
  if (IsProviderPath(path)) throw ScriptUnsupported{L"this command on the provider path " + path};
  return path;
}

unsigned long WholeNumber(const std::wstring& text) {
  if (text.empty() || text.size() > 9) throw ScriptRuntimeError{L"'" + text + L"' is not a whole number."};
  for (wchar_t c : text) {
    if (!std::iswdigit(c)) throw ScriptRuntimeError{L"'" + text + L"' is not a whole number."};
  }
  return std::stoul(text);
}

void WriteHost(const CommandArguments& arguments, const OutputSink& output) {
  std::wstring line;
  for (size_t i = 0; i < arguments.rest.size(); ++i) line += (i == 0 ? L"" : L" ") + Text(arguments.rest[i]);
  output(line);
}

void WriteOutput(const CommandArguments& arguments, const OutputSink& output) {
  for (const Value& value : arguments.rest) {
    if (value) output(*value);
  }
}

void StartSleep(const CommandArguments& arguments, const OutputSink&) {
  if (arguments.Has(L"Milliseconds") == arguments.Has(L"Seconds")) {
    throw ScriptRuntimeError{L"Start-Sleep needs either -Milliseconds or -Seconds."};
  }
  const bool seconds = arguments.Has(L"Seconds");
  const unsigned long amount = WholeNumber(Text(arguments.Get(seconds ? L"Seconds" : L"Milliseconds")));
  ::Sleep(seconds ? amount * 1000 : amount);
}

// The real cmdlet writes the new item out; its path stands in for it here.
void NewItem(const CommandArguments& arguments, const OutputSink& output) {
  const std::wstring path = RequirePath(arguments, L"Path");
  const bool force = arguments.Switch(L"Force");
  if (IsProviderPath(path)) {
    if (arguments.Has(L"ItemType")) throw ScriptUnsupported{L"-ItemType for a registry key"};
    Check(arguments, CreateRegistryKey(MachineSubkey(path), force));
    output(path);
    return;
  }
  if (!EqualsNoCase(Text(arguments.Get(L"ItemType")), L"Directory")) {
    throw ScriptUnsupported{L"New-Item of anything but -ItemType Directory"};
  }
  if (FileSystemPathExists(path) && !(force && IsExistingFolder(path))) {
    Check(arguments, L"An item with the specified name " + AbsolutePath(path) + L" already exists.");
    return;
  }
  Check(arguments, CreateFolders(path));
  output(AbsolutePath(path));
}

void SetContent(const CommandArguments& arguments, const OutputSink&) {
  const std::wstring path = FileSystemPath(arguments, L"Path");
  if (arguments.Has(L"Encoding") && !EqualsNoCase(Text(arguments.Get(L"Encoding")), L"UTF8")) {
    throw ScriptUnsupported{L"-Encoding " + Text(arguments.Get(L"Encoding"))};
  }
  const Value value = arguments.Get(L"Value");
  Check(arguments, WriteWholeFile(path, value ? WideToUtf8(*value + L"\r\n") : std::string()));
}

void CopyItem(const CommandArguments& arguments, const OutputSink&) {
  const std::wstring source = FileSystemPath(arguments, L"Path");
  const std::wstring destination = FileSystemPath(arguments, L"Destination");
  Check(arguments, CopyFileItem(source, destination));
}

void RemoveItem(const CommandArguments& arguments, const OutputSink&) {
  const bool literal = arguments.Has(L"LiteralPath");
  const std::wstring path = RequirePath(arguments, literal ? L"LiteralPath" : L"Path");
  const bool recurse = arguments.Switch(L"Recurse");
  if (IsProviderPath(path)) {
    Check(arguments, RemoveRegistryKey(MachineSubkey(path), recurse));
  } else {
    Check(arguments, RemoveFileSystemItem(path, recurse));
  }
}

void SetItemProperty(const CommandArguments& arguments, const OutputSink&) {
  const std::wstring subkey = MachineSubkey(RequirePath(arguments, L"Path"));
  const std::wstring name = Required(arguments, L"Name");
  Check(arguments, SetRegistryString(subkey, name, Text(arguments.Get(L"Value"))));
}

void RemoveItemProperty(const CommandArguments& arguments, const OutputSink&) {
  const std::wstring subkey = MachineSubkey(RequirePath(arguments, L"Path"));
  Check(arguments, RemoveRegistryValue(subkey, Required(arguments, L"Name")));
}

// Started and left to run, as the real cmdlet does; with -NoNewWindow the
// program shares this one's output, as a console program would.
void StartProcess(const CommandArguments& arguments, const OutputSink&) {
  const std::wstring program = Required(arguments, L"FilePath");
  std::wstring commandLine = L"\"" + program + L"\"";
  if (arguments.Has(L"ArgumentList")) commandLine += L" " + Text(arguments.Get(L"ArgumentList"));
  const bool shared = arguments.Switch(L"NoNewWindow");
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  if (shared) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  }
  PROCESS_INFORMATION started = {};
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, shared ? TRUE : FALSE, 0, nullptr,
                        nullptr, &startup, &started)) {
    throw ScriptRuntimeError{L"This command cannot be run: " + program};
  }
  ::CloseHandle(started.hThread);
  ::CloseHandle(started.hProcess);
}

void TestPathCommand(const CommandArguments& arguments, const OutputSink& output) {
  const std::wstring path = RequirePath(arguments, L"Path");
  const bool exists = IsProviderPath(path) ? RegistryKeyExists(MachineSubkey(path)) : FileSystemPathExists(path);
  output(exists ? L"True" : L"False");
}

const Command kCommands[] = {
    {L"Write-Host", {{}, {}, {}, true}, WriteHost},
    {L"Write-Output", {{}, {}, {}, true}, WriteOutput},
    {L"Start-Sleep", {{L"Milliseconds", L"Seconds"}, {}, {L"Seconds"}}, StartSleep},
    {L"New-Item", {{L"Path", L"ItemType"}, {L"Force"}, {L"Path"}}, NewItem},
    {L"Set-Content", {{L"Path", L"Value", L"Encoding"}, {}, {L"Path", L"Value"}}, SetContent},
    {L"Copy-Item", {{L"Path", L"Destination"}, {L"Force"}, {L"Path", L"Destination"}}, CopyItem},
    {L"Remove-Item", {{L"Path", L"LiteralPath"}, {L"Recurse", L"Force"}, {L"Path"}}, RemoveItem},
    {L"Set-ItemProperty", {{L"Path", L"Name", L"Value"}, {}, {L"Path", L"Name", L"Value"}}, SetItemProperty},
    {L"Remove-ItemProperty", {{L"Path", L"Name"}, {}, {L"Path", L"Name"}}, RemoveItemProperty},
    {L"Test-Path", {{L"Path"}, {}, {L"Path"}}, TestPathCommand},
    {L"Start-Process", {{L"FilePath", L"ArgumentList"}, {L"NoNewWindow"}, {L"FilePath"}}, StartProcess},
};

const Command* FindCommand(const std::wstring& name) {
  for (const Command& command : kCommands) {
    if (EqualsNoCase(name, command.name)) return &command;
  }
  return nullptr;
}

}  // namespace

bool IsScriptCommand(const std::wstring& name) { return FindCommand(name) != nullptr; }

void RunScriptCommand(TokenCursor& cursor, ExpressionReader& reader, const OutputSink& output) {
  const Command* command = FindCommand(cursor.Take().text);
  if (command == nullptr) throw ScriptUnsupported{L"unknown command"};
  const CommandArguments arguments = reader.ReadCommandArguments(command->name, command->syntax);
  if (reader.evaluating()) command->handler(arguments, output);
}

}  // namespace standin
