// The system's cryptography (CNG) as Setup uses it: SHA-256 and the check of
// ECDSA P-256 signatures. bcrypt is not a KnownDLL, so it comes from System32
// through the loader.
#pragma once

#include <windows.h>
#include <bcrypt.h>

#include <array>
#include <string_view>

#include "base/win_handle.h"

struct Cng {
  decltype(&::BCryptOpenAlgorithmProvider) openProvider;
  decltype(&::BCryptCloseAlgorithmProvider) closeProvider;
  decltype(&::BCryptGetProperty) getProperty;
  decltype(&::BCryptCreateHash) createHash;
  decltype(&::BCryptHashData) hashData;
  decltype(&::BCryptFinishHash) finishHash;
  decltype(&::BCryptDestroyHash) destroyHash;
  decltype(&::BCryptImportKeyPair) importKeyPair;
  decltype(&::BCryptVerifySignature) verifySignature;
  decltype(&::BCryptDestroyKey) destroyKey;

  bool complete() const;
};

const Cng& LoadCng();

namespace cng_traits {
struct Provider {
  using Type = BCRYPT_ALG_HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static bool IsValid(Type value) noexcept { return value != nullptr; }
  static void Close(Type value) noexcept { LoadCng().closeProvider(value, 0); }
};
struct Hash {
  using Type = BCRYPT_HASH_HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static bool IsValid(Type value) noexcept { return value != nullptr; }
  static void Close(Type value) noexcept { LoadCng().destroyHash(value); }
};
struct Key {
  using Type = BCRYPT_KEY_HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static bool IsValid(Type value) noexcept { return value != nullptr; }
  static void Close(Type value) noexcept { LoadCng().destroyKey(value); }
};
}  // namespace cng_traits

using UniqueCngProvider = UniqueResource<cng_traits::Provider>;
using UniqueCngHash = UniqueResource<cng_traits::Hash>;
using UniqueCngKey = UniqueResource<cng_traits::Key>;

using Sha256Digest = std::array<unsigned char, 32>;

// SHA-256 fed in pieces. ok() is false when CNG could not provide it.
class Sha256Hasher {
 public:
  Sha256Hasher();

  bool ok() const { return static_cast<bool>(hash_); }
  void Add(const void* bytes, std::size_t size);
  // The digest of everything added; the hasher is spent afterwards.
  Sha256Digest Finish();

 private:
  UniqueCngProvider provider_;
  UniqueCngHash hash_;  // closed before its provider
};

// The public point of a P-256 key: X then Y, 32 bytes each, big-endian.
using P256PublicKey = std::array<unsigned char, 64>;
// An ECDSA signature: r then s, 32 bytes each, big-endian.
using P256Signature = std::array<unsigned char, 64>;

// True only when the signature is the key's ECDSA signature of the SHA-256
// digest; any failure of CNG counts as no.
bool VerifyP256Signature(const P256PublicKey& key, const Sha256Digest& digest, const P256Signature& signature);
