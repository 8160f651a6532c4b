// The end of a whole removal started from the installed copy (the uninstall
// entry's command): that copy is the program running, which no script can
// delete, so Setup moves its own file out of the install folder into the
// working root and removes the folder.
#pragma once

// True when the running Setup was the installed copy and is gone from the
// install folder; false (nothing done) otherwise. Moved files are deleted at
// the next start, or at the next boot at the latest.
bool RemoveRunningInstalledCopy();

// Deletes what earlier removals moved aside. At start, before anything else
// of the working root is used.
void ClearMovedInstalledCopies();
