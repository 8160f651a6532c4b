// What the release server says is newest: Setup and the install package, with
// their addresses and SHA-256 digests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/cng.h"

struct ReleaseManifest {
  std::wstring setupVersion;
  std::wstring setupUrl;
  std::wstring setupSha256;
  std::wstring packageVersion;
  std::wstring packageUrl;
  std::wstring packageSha256;
};

// Asks the release server ("/appLatest" under the build's base URL) and reads
// its answer. False with a message when the request or the answer fails. With
// a budget the request gives up once that many milliseconds have passed.
// `trouble` tells why there is no manifest, as far as the user can act on it.
enum class AnswerTrouble {
  None,     // no answer came, or a plain server error
  Refused,  // an answer came and a keyed build refused it
  SignIn,   // the proxy (or the server) asked for a sign-in Setup cannot give
};
bool FetchReleaseManifest(ReleaseManifest* manifest, std::wstring* errorText, std::uint64_t budgetMs = 0,
                          AnswerTrouble* trouble = nullptr);

// Reads the answer of "/appLatest" (UTF-8 bytes) into the manifest, judged by
// this build's keys and the system clock. False with a message when the answer
// is not a published release or lacks the package.
bool ReadReleaseManifest(const std::string& answer, ReleaseManifest* manifest, std::wstring* errorText);

// The same judged by the given keys at the given time (Unix seconds). With no
// keys the answer's own members count; with keys only those of its signed
// part do, and only while it is the publisher's, of the known format and not
// expired. A digest that is not 64 hex digits counts as none.
bool ReadReleaseAnswer(const std::string& answer, const std::vector<P256PublicKey>& keys, std::uint64_t nowSeconds,
                       ReleaseManifest* manifest, std::wstring* errorText);

// The system clock as Unix seconds.
std::uint64_t UnixSecondsNow();
