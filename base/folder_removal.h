// Deleting a folder tree as administrator without ever following a link.
#pragma once

#include <string>

// Deletes what is at `path` (a folder with everything in it, a file or a
// link) without entering any reparse point: a junction or symbolic link is
// removed as a link and its target is left alone. True when nothing is left.
bool RemoveFolderTree(const std::wstring& path);
