// A link to a folder, for tests of code that must never follow one. This Wine
// cannot make junctions or symbolic links itself (the calls fail or do
// nothing), but it shows a Unix symbolic link as a directory with the
// reparse-point attribute, so that is what the tests make.
#pragma once

#include <string>

class FolderLink {
 public:
  // Makes `link` point at `target`; made() tells whether that worked.
  FolderLink(const std::wstring& link, const std::wstring& target);
  // Removes the link itself, never the target.
  ~FolderLink();
  FolderLink(const FolderLink&) = delete;
  FolderLink& operator=(const FolderLink&) = delete;

  bool made() const;

 private:
  std::wstring link_;
};

// True when the path is a reparse point as the listing of its folder shows it.
bool IsLinkPath(const std::wstring& path);
