#include "app/launch_options.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <cstdlib>

#include "app/win_handle.h"

namespace {

LaunchOptions g_launchOptions;

wchar_t AsciiLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; }

bool AsciiEqualsIgnoreCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

bool AsciiStartsWithIgnoreCase(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() && AsciiEqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

// Strips the quotes and colons that shells and older Setups leave around the path.
std::wstring CleanSelfUpdatePath(std::wstring_view rest) {
  while (!rest.empty() && (rest.front() == L'"' || rest.front() == L':')) rest.remove_prefix(1);
  while (!rest.empty() && rest.back() == L'"') rest.remove_suffix(1);
  return std::wstring(rest);
}

std::uint32_t ParseDecimal(std::wstring_view rest) {
  std::wstring text(rest);  // wcstoul needs a terminated string
  return static_cast<std::uint32_t>(std::wcstoul(text.c_str(), nullptr, 10));
}

void ApplyArgument(std::wstring_view argument, LaunchOptions& options) {
  constexpr std::wstring_view kApplyPath = L"/apply-self-update:";
  constexpr std::wstring_view kApplyVersion = L"/apply-self-version:";
  constexpr std::wstring_view kApplyPid = L"/apply-self-pid:";
  // "--log:" as well as "/log:"
  const std::wstring_view logValue = AsciiStartsWithIgnoreCase(argument, L"--log:")  ? argument.substr(6)
                                     : AsciiStartsWithIgnoreCase(argument, L"/log:") ? argument.substr(5)
                                                                                      : std::wstring_view();

  if (AsciiEqualsIgnoreCase(argument, L"/update") || AsciiEqualsIgnoreCase(argument, L"--update")) {
    options.autoUpdate = true;
  } else if (AsciiEqualsIgnoreCase(argument, L"/quiet") || AsciiEqualsIgnoreCase(argument, L"--quiet")) {
    options.quiet = true;
  } else if (AsciiEqualsIgnoreCase(argument, L"/passive") || AsciiEqualsIgnoreCase(argument, L"--passive")) {
    options.passive = true;
  } else if (AsciiEqualsIgnoreCase(argument, L"/uninstall") || AsciiEqualsIgnoreCase(argument, L"--uninstall")) {
    options.uninstall = true;
  } else if (!logValue.empty()) {
    options.logPath = std::wstring(logValue);
  } else if (AsciiEqualsIgnoreCase(argument, L"/noselfupdate") ||
             AsciiEqualsIgnoreCase(argument, L"--noselfupdate")) {
    options.noSelfUpdate = true;
    options.noSelfUpdateSwitch = true;
  } else if (AsciiStartsWithIgnoreCase(argument, kApplyPath)) {
    options.applySelfUpdatePath = CleanSelfUpdatePath(argument.substr(kApplyPath.size()));
    options.noSelfUpdate = true;
  } else if (AsciiStartsWithIgnoreCase(argument, kApplyVersion)) {
    options.applySelfUpdateVersion = std::wstring(argument.substr(kApplyVersion.size()));
  } else if (AsciiStartsWithIgnoreCase(argument, kApplyPid)) {
    options.applySelfUpdatePid = ParseDecimal(argument.substr(kApplyPid.size()));
  }
}

void AppendRelaunchArgument(std::wstring_view argument, std::wstring& parameters) {
  if (!parameters.empty()) parameters += L' ';
  const bool quote = argument.find(L' ') != std::wstring_view::npos;
  if (quote) parameters += L'"';
  parameters += argument;
  if (quote) parameters += L'"';
}

}  // namespace

LaunchOptions ParseLaunchArguments(const std::vector<std::wstring>& arguments) {
  LaunchOptions options;
  for (const std::wstring& argument : arguments) {
    ApplyArgument(argument, options);
    AppendRelaunchArgument(argument, options.relaunchParameters);
  }
  return options;
}

LaunchOptions ParseUnsplitCommandTail(std::wstring_view tail) {
  LaunchOptions options;
  options.relaunchParameters = std::wstring(tail);
  options.autoUpdate = tail.find(L"/update") != std::wstring_view::npos;
  options.noSelfUpdate = tail.find(L"/noselfupdate") != std::wstring_view::npos;
  options.noSelfUpdateSwitch = options.noSelfUpdate;
  return options;
}

void DropHandOffSwitches(LaunchOptions& options) {
  options.applySelfUpdatePath.clear();
  options.applySelfUpdateVersion.clear();
  options.applySelfUpdatePid = 0;
  options.noSelfUpdate = options.noSelfUpdateSwitch;
}

LaunchOptions ReadLaunchOptions(const wchar_t* fullCommandLine, const wchar_t* commandTail) {
  int count = 0;
  UniqueLocalMemory split(fullCommandLine != nullptr ? ::CommandLineToArgvW(fullCommandLine, &count)
                                                     : nullptr);
  if (!split) {
    if (commandTail == nullptr || *commandTail == L'\0') return {};
    return ParseUnsplitCommandTail(commandTail);
  }
  auto* argv = static_cast<wchar_t**>(split.get());
  std::vector<std::wstring> arguments;
  for (int i = 1; i < count; ++i) arguments.emplace_back(argv[i]);
  return ParseLaunchArguments(arguments);
}

const LaunchOptions& CurrentLaunchOptions() { return g_launchOptions; }

void SetLaunchOptions(LaunchOptions options) { g_launchOptions = std::move(options); }
