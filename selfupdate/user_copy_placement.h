// Puts the new Setup where the user started the old one. The folder is the
// user's (often Downloads): anything in it may be a link, a directory or a
// file another program holds, so every step goes through handles, nothing
// there is followed or started, and a failure only leaves the old file.
#pragma once

#include <windows.h>

#include <string>

// Writes the whole file behind `image` under `destination` and removes
// `oldPath` when that is another name in the same folder. While a file there is
// held, it tries again for about `budgetMs`. Each step and each failure goes to
// the replacement log. True when the new file stands under `destination`.
bool PlaceUserCopy(HANDLE image, const std::wstring& oldPath, const std::wstring& destination, DWORD budgetMs);

// The same in a folder already held (listing and traversal access): every
// entry is named relative to `folder`, so nothing above it is looked at again.
bool PlaceInHeldFolder(HANDLE image, HANDLE folder, const std::wstring& oldName, const std::wstring& newName,
                       DWORD budgetMs);
