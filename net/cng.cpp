#include "net/cng.h"

#include <vector>

#include "base/system_library.h"

namespace {

template <typename Function>
Function Bcrypt(const char* name) {
  return SystemFunction<Function>(L"bcrypt.dll", name);
}

}  // namespace

bool Cng::complete() const {
  return openProvider && closeProvider && getProperty && createHash && hashData && finishHash && destroyHash &&
         importKeyPair && verifySignature && destroyKey;
}

const Cng& LoadCng() {
  static const Cng cng = {
      Bcrypt<decltype(&::BCryptOpenAlgorithmProvider)>("BCryptOpenAlgorithmProvider"),
      Bcrypt<decltype(&::BCryptCloseAlgorithmProvider)>("BCryptCloseAlgorithmProvider"),
      Bcrypt<decltype(&::BCryptGetProperty)>("BCryptGetProperty"),
      Bcrypt<decltype(&::BCryptCreateHash)>("BCryptCreateHash"),
      Bcrypt<decltype(&::BCryptHashData)>("BCryptHashData"),
      Bcrypt<decltype(&::BCryptFinishHash)>("BCryptFinishHash"),
      Bcrypt<decltype(&::BCryptDestroyHash)>("BCryptDestroyHash"),
      Bcrypt<decltype(&::BCryptImportKeyPair)>("BCryptImportKeyPair"),
      Bcrypt<decltype(&::BCryptVerifySignature)>("BCryptVerifySignature"),
      Bcrypt<decltype(&::BCryptDestroyKey)>("BCryptDestroyKey"),
  };
  return cng;
}

Sha256Hasher::Sha256Hasher() {
  const Cng& cng = LoadCng();
  if (!cng.complete() || !BCRYPT_SUCCESS(cng.openProvider(provider_.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
    return;
  }
  // CNG keeps the hash object itself when given none.
  cng.createHash(provider_.get(), hash_.put(), nullptr, 0, nullptr, 0, 0);
}

void Sha256Hasher::Add(const void* bytes, std::size_t size) {
  if (!hash_) return;
  auto* from = static_cast<const unsigned char*>(bytes);
  // CNG takes at most 4 GiB - 1 at a time.
  while (size > 0) {
    const ULONG piece = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
    LoadCng().hashData(hash_.get(), const_cast<unsigned char*>(from), piece, 0);
    from += piece;
    size -= piece;
  }
}

Sha256Digest Sha256Hasher::Finish() {
  Sha256Digest digest = {};
  if (hash_) LoadCng().finishHash(hash_.get(), digest.data(), static_cast<ULONG>(digest.size()), 0);
  return digest;
}

bool VerifyP256Signature(const P256PublicKey& key, const Sha256Digest& digest, const P256Signature& signature) {
  const Cng& cng = LoadCng();
  if (!cng.complete()) return false;
  UniqueCngProvider provider;
  if (!BCRYPT_SUCCESS(cng.openProvider(provider.put(), BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0))) return false;
  std::vector<unsigned char> blob(sizeof(BCRYPT_ECCKEY_BLOB) + key.size());
  auto* header = reinterpret_cast<BCRYPT_ECCKEY_BLOB*>(blob.data());
  header->dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
  header->cbKey = 32;
  std::copy(key.begin(), key.end(), blob.begin() + sizeof(BCRYPT_ECCKEY_BLOB));
  UniqueCngKey imported;
  if (!BCRYPT_SUCCESS(cng.importKeyPair(provider.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, imported.put(), blob.data(),
                                        static_cast<ULONG>(blob.size()), 0))) {
    return false;
  }
  // CNG takes non-const buffers it does not change.
  Sha256Digest hashed = digest;
  P256Signature copied = signature;
  return BCRYPT_SUCCESS(cng.verifySignature(imported.get(), nullptr, hashed.data(), static_cast<ULONG>(hashed.size()),
                                            copied.data(), static_cast<ULONG>(copied.size()), 0));
}
