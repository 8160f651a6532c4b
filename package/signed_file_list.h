// The signed file list of a release folder ("package.sha256" and its
// ".sig"): what a keyed build copies from such a folder, and the digest each
// copy must have.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "net/cng.h"

inline constexpr wchar_t kFileListName[] = L"package.sha256";
inline constexpr wchar_t kFileListSignatureName[] = L"package.sha256.sig";

struct ListedFile {
  std::wstring path;    // relative, with "\"
  std::wstring sha256;  // 64 lowercase hex digits
};

struct FileList {
  std::wstring version;  // the package version the publisher signed
  std::vector<ListedFile> files;
};

// A list: a first line "# orlinth-package-1 <version>", then
// "<64 lowercase hex>  <relative path with />" lines, each ending in LF (or
// CR LF). The version is a plain token, paths are plain relative ones, each
// once, and the three scripts are among them. False with the reason otherwise.
bool ParseFileList(std::string_view text, FileList* list, std::wstring* reason);

// Reads the list of the folder, checks that one of the keys signed it, and
// parses it. False with the reason (for the log) otherwise.
bool ReadSignedFileList(const std::wstring& folder, const std::vector<P256PublicKey>& keys, FileList* list,
                        std::wstring* reason);
