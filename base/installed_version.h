// The version of the package Setup last installed, as Setup itself recorded
// it under the product's registry key (64-bit view), where only
// administrators can write. The rollback floor and the uninstall entry's
// version come from here, never from a file in the product's data folder,
// which any user may have made first.
#pragma once

#include <string>

// Empty when there is no record or it is no plain version.
std::wstring InstalledPackageVersion();

// After a successful install or update; an empty version removes the record,
// for a version Setup cannot name is no floor either.
void RecordInstalledPackageVersion(const std::wstring& version);

// After the whole product was removed.
void ForgetInstalledPackageVersion();
