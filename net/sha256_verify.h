// SHA-256 of downloaded files, compared with the digest the release manifest
// publishes for them.
#pragma once

#include <windows.h>

#include <string>

#include "net/cng.h"

// Lower-case hex text of a digest.
std::wstring Sha256Text(const Sha256Digest& digest);

// The file's digest as lower-case hex text; false with a message otherwise.
bool HashFileSha256(const std::wstring& path, std::wstring* digest, std::wstring* errorText);

// The same for a file the caller holds open (read from its start), so that
// what was checked is what the caller goes on to use.
bool HashOpenFileSha256(HANDLE file, std::wstring* digest, std::wstring* errorText);

// Equal after folding the letters A to F to lower case (nothing else).
bool HashTextEquals(const std::wstring& a, const std::wstring& b);

// The digest's text is the expected one; false with the message the user sees
// for a file that is not what was published.
bool DigestMatches(const std::wstring& digest, const std::wstring& expected, std::wstring* errorText);

// True when the file's digest is the expected text.
bool VerifyFileSha256(const std::wstring& path, const std::wstring& expected, std::wstring* errorText);
bool VerifyOpenFileSha256(HANDLE file, const std::wstring& expected, std::wstring* errorText);
