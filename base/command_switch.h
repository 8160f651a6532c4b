// The grammar of Setup's command-line switches: "/" or "--", a name (letter
// case aside) and, for switches that carry one, ":" and a value.
#pragma once

#include <optional>
#include <string_view>

// The argument without its leading "--" or "/"; nothing when it has neither.
std::optional<std::wstring_view> SwitchBody(std::wstring_view argument);

// The argument is exactly the switch `name`.
bool IsSwitch(std::wstring_view argument, std::wstring_view name);

// What follows "name:" in the argument; nothing when it is no such switch.
std::optional<std::wstring_view> SwitchValue(std::wstring_view argument, std::wstring_view name);
