#include "base/command_switch.h"

#include "base/text_helpers.h"

std::optional<std::wstring_view> SwitchBody(std::wstring_view argument) {
  if (argument.starts_with(L"--")) return argument.substr(2);
  if (argument.starts_with(L"/") || argument.starts_with(L"-")) return argument.substr(1);
  return std::nullopt;
}

bool IsSwitch(std::wstring_view argument, std::wstring_view name) {
  const std::optional<std::wstring_view> body = SwitchBody(argument);
  return body && EqualsIgnoringCase(*body, name);
}

std::optional<std::wstring_view> SwitchValue(std::wstring_view argument, std::wstring_view name) {
  const std::optional<std::wstring_view> body = SwitchBody(argument);
  if (!body || body->size() <= name.size() || !StartsWithIgnoringCase(*body, name) ||
      ((*body)[name.size()] != L':' && (*body)[name.size()] != L'=')) {
    return std::nullopt;
  }
  return body->substr(name.size() + 1);
}
