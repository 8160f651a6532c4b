// The replacement log: every self-update step on this machine for this user,
// appended in order and never trimmed.
#pragma once

#include <string>

// Appends the line (UTF-8, CR LF). False when the log could not be opened;
// write errors are not reported.
bool AppendReplaceLog(const std::wstring& line);
