// A machine policy for PowerShell (set by Group Policy) outranks the
// "-ExecutionPolicy Bypass" Setup runs its scripts with: one that allows only
// signed scripts, or none, would stop every unsigned package script, and the
// user would see only a failed script.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <windows.h>

enum class ScriptPolicy { Any, SignedOnly, None };

// What the policy values say ("EnableScripts" and "ExecutionPolicy" under
// SOFTWARE\Policies\Microsoft\Windows\PowerShell): no policy allows any
// script; "AllSigned" only signed ones; scripts switched off none.
// "RemoteSigned" asks signatures only of downloaded files, which Setup's own
// copies are not.
ScriptPolicy PolicyFor(std::optional<DWORD> enableScripts, std::wstring_view executionPolicy);

// Whether a script carries a signature block (whether it verifies is the
// system's to judge).
bool HasSignatureBlock(std::string_view script);

// The package's scripts may run under the machine's (then the user's) policy;
// false with the Korean reason otherwise.
bool ScriptPolicyAllows(const std::wstring& packageFolder, std::wstring* refusal);
