// The yes/no question asked before any operation starts.
#pragma once

#include <windows.h>

#include <string>

#include "ops/install_state.h"

struct ConfirmationQuestion {
  std::wstring text;
  UINT flags = 0;  // MessageBoxW buttons, icon and default button
};

// The question for a request in a situation.
ConfirmationQuestion ConfirmationFor(bool removeRequest, InstallSituation situation);

// Asks it unless the run is unattended or an install-side request runs in
// automatic-update mode; true for Yes or when nothing was asked.
bool ConfirmOperation(bool removeRequest, bool unattended, bool automatic);
