#include "net/release_signature.h"

#include <algorithm>

namespace {

constexpr std::size_t kMostSignatures = 2;
constexpr std::size_t kMostKeys = 2;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Exactly 2 * N lowercase hex digits into N bytes.
template <std::size_t N>
bool DecodeFixed(std::string_view hex, std::array<unsigned char, N>* bytes) {
  std::string decoded;
  if (hex.size() != 2 * N || !DecodeLowerHex(hex, &decoded)) return false;
  std::copy(decoded.begin(), decoded.end(), bytes->begin());
  return true;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  for (;;) {
    const std::size_t end = text.find(separator);
    pieces.push_back(text.substr(0, end));
    if (end == std::string_view::npos) return pieces;
    text.remove_prefix(end + 1);
  }
}

}  // namespace

bool DecodeLowerHex(std::string_view hex, std::string* bytes) {
  if (hex.size() % 2 != 0) return false;
  std::string decoded;
  decoded.reserve(hex.size() / 2);
  for (std::size_t at = 0; at < hex.size(); at += 2) {
    const int high = HexValue(hex[at]);
    const int low = HexValue(hex[at + 1]);
    if (high < 0 || low < 0) return false;
    decoded.push_back(static_cast<char>(high * 16 + low));
  }
  *bytes = std::move(decoded);
  return true;
}

std::vector<P256PublicKey> ParseReleaseKeys(std::string_view text) {
  std::vector<P256PublicKey> keys;
  if (text.empty()) return keys;
  for (std::string_view piece : Split(text, ';')) {
    P256PublicKey key = {};
    if (keys.size() == kMostKeys || !DecodeFixed(piece, &key)) return {};
    keys.push_back(key);
  }
  return keys;
}

const std::vector<P256PublicKey>& BuiltInReleaseKeys() {
  static const std::vector<P256PublicKey> keys = ParseReleaseKeys(kReleaseKeyText);
  return keys;
}

bool IsKeyedBuild() { return !BuiltInReleaseKeys().empty(); }

SignatureCheck CheckReleaseSignatures(std::string_view message, std::string_view signatures, char separator,
                                      const std::vector<P256PublicKey>& keys) {
  std::vector<std::string_view> pieces = Split(signatures, separator);
  if (separator == '\n' && pieces.size() > 1 && pieces.back().empty()) pieces.pop_back();
  if (pieces.empty() || pieces.size() > kMostSignatures) return SignatureCheck::Malformed;
  std::vector<P256Signature> decoded(pieces.size());
  for (std::size_t index = 0; index < pieces.size(); ++index) {
    if (!DecodeFixed(pieces[index], &decoded[index])) return SignatureCheck::Malformed;
  }
  Sha256Hasher hash;
  if (!hash.ok()) return SignatureCheck::NotVerified;
  hash.Add(message.data(), message.size());
  const Sha256Digest digest = hash.Finish();
  const std::size_t keyCount = std::min(keys.size(), kMostKeys);
  for (const P256Signature& signature : decoded) {
    for (std::size_t key = 0; key < keyCount; ++key) {
      if (VerifyP256Signature(keys[key], digest, signature)) return SignatureCheck::Verified;
    }
  }
  return SignatureCheck::NotVerified;
}
