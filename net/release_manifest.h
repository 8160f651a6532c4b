// What the release server says is newest: Setup and the install package, with
// their addresses and SHA-256 digests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct ReleaseManifest {
  std::wstring setupVersion;
  std::wstring setupUrl;
  std::wstring setupSha256;
  std::wstring packageVersion;
  std::wstring packageUrl;
  std::wstring packageSha256;
};

// Server versions become folder and file names and arguments, so only plain
// tokens count: 1 to 64 of 0-9 A-Z a-z . _ + -, and not "." or "..".
bool IsPlainVersionToken(std::wstring_view text);

// Asks the release server ("/appLatest" under the build's base URL) and reads
// its answer. False with a message when the request or the answer fails. With
// a budget the request gives up once that many milliseconds have passed.
bool FetchReleaseManifest(ReleaseManifest* manifest, std::wstring* errorText, std::uint64_t budgetMs = 0);

// Reads the answer of "/appLatest" (UTF-8 bytes) into the manifest. False with
// a message when the answer is not a published release or lacks the package.
bool ReadReleaseManifest(const std::string& answer, ReleaseManifest* manifest, std::wstring* errorText);
