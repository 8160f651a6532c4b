// Scratch folders for tests, removed with everything in them.
#pragma once

#include <string>

class TempFolder {
 public:
  // A new, empty folder under the temporary folder.
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::wstring& path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

// Deletes a folder tree; long paths are fine.
void RemoveTree(const std::wstring& folder);

// Whole-file helpers for tests (bytes as they are on disk).
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);
bool PathExists(const std::wstring& path);
