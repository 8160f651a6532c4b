// The publisher's signatures over what Setup trusts from outside: the release
// server's answer and a release folder's file list, checked with the public
// keys built into this Setup.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "net/cng.h"

// The build setting SETUP_RELEASE_KEYS as text ("hex;hex", or empty). Defined
// per executable, so that two builds can differ in it alone.
extern const char kReleaseKeyText[];

// One or two public keys as the build setting writes them: 128 lowercase hex
// digits each, X then Y, separated by ";". Anything else gives no key (the
// build refuses such a setting before it gets here).
std::vector<P256PublicKey> ParseReleaseKeys(std::string_view text);

// The keys this Setup was built with. A build without any trusts the server's
// digests as they stand; a keyed build trusts only what they sign.
const std::vector<P256PublicKey>& BuiltInReleaseKeys();
bool IsKeyedBuild();

// Lowercase hex digits, an even number of them, as bytes; false otherwise.
bool DecodeLowerHex(std::string_view hex, std::string* bytes);

enum class SignatureCheck { Verified, Malformed, NotVerified };

// Whether one of the signatures is one of the keys' signature of `message`.
// `signatures` holds one or two of 128 lowercase hex digits (r then s),
// separated by `separator`; for a list of lines a last separator may end it.
// Anything else is malformed. At most two keys times two signatures are tried.
SignatureCheck CheckReleaseSignatures(std::string_view message, std::string_view signatures, char separator,
                                      const std::vector<P256PublicKey>& keys);
