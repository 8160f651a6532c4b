// Text helpers shared by every subsystem.
#pragma once

#include <string>
#include <string_view>

// 'text' with every single quote doubled: a PowerShell literal that expands
// nothing.
std::wstring QuotePowerShellLiteral(const std::wstring& text);

// The string value after the first occurrence of "key" in a JSON text: a small
// key lookup on bytes, not a parser. Empty when not found.
std::string ExtractJsonString(std::string_view text, std::string_view key);

// UTF-8 and UTF-16 conversions; invalid UTF-8 becomes replacement characters.
std::wstring Utf8ToWide(std::string_view bytes);
std::string WideToUtf8(std::wstring_view text);
