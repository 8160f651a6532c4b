// The record each run of the stand-in leaves for the tests: what it was asked
// and from where, appended to the file named by ORLINTH_POWERSHELL_LOG.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace standin {

// The lines of one record, LF-terminated, the last one empty:
//   command: <command line>
//   folder: <current folder>
//   <name>: <value, empty when unset>    for each variable, in the given order
// The runs' readers take ORLINTH_SETUP_PID, always the last variable, as the
// record's end.
std::string FormatInvocationRecord(const std::wstring& commandLine, const std::wstring& folder,
                                   const std::vector<std::pair<std::wstring, std::wstring>>& variables);

// Appends the record for this process when the variable is set. Empty on
// success or when logging is off, else the reason.
std::wstring AppendInvocationRecord(const std::wstring& commandLine);

}  // namespace standin
