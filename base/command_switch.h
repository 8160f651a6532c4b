// The grammar of Setup's command-line switches: "/", "-" or "--", a name
// (letter case aside) and, for switches that carry one, ":" or "=" and a value.
#pragma once

#include <optional>
#include <string_view>

// The argument without its leading "--", "-" or "/"; nothing without one.
std::optional<std::wstring_view> SwitchBody(std::wstring_view argument);

// The argument is exactly the switch `name`.
bool IsSwitch(std::wstring_view argument, std::wstring_view name);

// What follows "name:" or "name=" in the argument; nothing when it is no such
// switch.
std::optional<std::wstring_view> SwitchValue(std::wstring_view argument, std::wstring_view name);
