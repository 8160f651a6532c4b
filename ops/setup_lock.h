// "setup.lock" under ProgramData: marks an install-kind operation in progress
// for the package scripts and other tools. Setup itself never reads it.
#pragma once

// Writes the file with this process id; false when it cannot be written.
bool WriteSetupLock();

// Deletes the file; the outcome is not inspected.
void DeleteSetupLock();
