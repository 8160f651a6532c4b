// Who may change a folder that Setup, running as administrator, takes files
// from: only SYSTEM and the Administrators.
#pragma once

#include <windows.h>

#include <string>

#include "base/win_handle.h"

// Owner Administrators; a protected DACL with full control for SYSTEM and
// Administrators and read for Users, inherited by everything inside.
inline constexpr wchar_t kAdminOnlyFolderSddl[] = L"O:BAG:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// The descriptor above, for creating a folder; null when it cannot be built.
UniqueLocalMemory AdminOnlyFolderDescriptor();

// True when SYSTEM or the Administrators own the object and its DACL lets
// nobody else write, add, delete, or change attributes, permissions or owner.
bool IsAdminOnlyDescriptor(PSECURITY_DESCRIPTOR descriptor);

// The same test on the object behind a handle opened with READ_CONTROL.
bool HasAdminOnlySecurity(HANDLE object);

// Whether a folder made under `parent` keeps the owner Setup gives it. Where
// it does not, the volume keeps no security of ours and the two tests above
// can never pass. Any doubt counts as yes.
bool FolderOwnersAreKept(const std::wstring& parent);
