// Text that goes into a cmd batch script: cmd expands % everywhere and splits
// lines at & | < > ( ) outside double quotes, so every path and argument is
// escaped to come out exactly as it went in.
#pragma once

#include <string>

// The path in double quotes, with every % doubled.
std::wstring CmdQuotedPath(const std::wstring& path);

// Unquoted text (an echoed path): metacharacters behind a caret, % doubled.
std::wstring CmdBareText(const std::wstring& text);

// Arguments as they are to reach a program: double quotes keep their meaning,
// so only what stands outside them gets carets; % is doubled everywhere.
std::wstring CmdArgumentText(const std::wstring& text);

// The script in the console (OEM) code page, the one cmd reads batch files in.
// False when a character has no exact place there: cmd would misread it.
bool EncodeForCmd(const std::wstring& script, std::string* bytes);
