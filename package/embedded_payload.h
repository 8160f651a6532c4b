// The third package source: the archive appended to a single-file Setup,
// extracted once into a cache in the working root named after the file's
// identity.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

struct PayloadCacheKey {
  std::uint64_t payloadSize = 0;
  std::uint64_t setupFileSize = 0;
  std::uint32_t writeTimeHigh = 0;
  std::uint32_t writeTimeLow = 0;
};

// "<payload size>_<file size>_<write time as 16 upper-case hex digits>"
std::wstring FormatPayloadCacheKey(const PayloadCacheKey& key);

// <working root>\setup-cache\<key>; empty when the root is unknown.
std::wstring GetPayloadCacheFolder(const PayloadCacheKey& key);

// True when the stamp file holds exactly the key text (UTF-16LE, nothing else).
bool IsPayloadStampCurrent(const std::wstring& stampPath, const PayloadCacheKey& key);

// Copies `length` bytes from `offset` of the open source into a new target
// file in 1 MiB blocks, posting progress 0..40 to the main window.
bool CopyPayloadToFile(HANDLE source, std::uint64_t offset, std::uint64_t length, const std::wstring& target);

enum class EmbeddedPackageOutcome { Ready, Failed, NoPayload };

// Prepares the package appended to the running Setup. Ready with the folder;
// Failed with a message in errorText; NoPayload leaves errorText alone.
EmbeddedPackageOutcome PrepareEmbeddedPackage(std::wstring* folder, std::wstring* errorText);

// The same for the open Setup file: the trailer, the identity and the payload
// are all read through this one handle.
EmbeddedPackageOutcome PrepareEmbeddedPackageFrom(HANDLE setupFile, std::wstring* folder, std::wstring* errorText);
