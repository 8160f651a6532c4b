// Expand-Archive: ZIP extraction of stored and deflated entries.
#pragma once

#include <string>

namespace standin {

// Extracts every entry of the archive below 'destination' (created when
// missing); existing files are replaced only with 'overwrite'. The whole
// archive is read and checked first: an unreadable, damaged or ZIP64 archive,
// or an entry that would land outside the destination, fails before anything
// is written. Empty on success, else the message.
std::wstring ExtractZipArchive(const std::wstring& archive, const std::wstring& destination, bool overwrite);

}  // namespace standin
