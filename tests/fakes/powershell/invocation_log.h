// The record each run of the stand-in leaves for the tests: what it was asked
// and from where, appended to the file named by ORLINTH_POWERSHELL_LOG.
#pragma once

#include <string>

namespace standin {

// The five lines of one record, LF-terminated, the last one empty:
//   command: <command line>
//   folder: <current folder>
//   PSModulePath: <value, empty when unset>
//   ORLINTH_SETUP_PID: <value, empty when unset>
std::string FormatInvocationRecord(const std::wstring& commandLine, const std::wstring& folder,
                                   const std::wstring& modulePath, const std::wstring& setupPid);

// Appends the record for this process when the variable is set. Empty on
// success or when logging is off, else the reason.
std::wstring AppendInvocationRecord(const std::wstring& commandLine);

}  // namespace standin
