// Signature checks through libsodium; no cryptography of our own.
#include "platform/os/Signature.h"

#include <sodium.h>

#include <array>
#include <mutex>

namespace {

// Decodes exactly N bytes of padded standard base64; anything else (other length, stray
// characters, text after the padding) is refused.
template <std::size_t N>
bool DecodeExactly(std::string_view text, std::array<unsigned char, N>& out) {
  std::size_t length = 0;
  const char* end = nullptr;
  if (sodium_base642bin(out.data(), out.size(), text.data(), text.size(), nullptr, &length, &end,
                        sodium_base64_VARIANT_ORIGINAL) != 0)
    return false;
  return length == N && end == text.data() + text.size();
}

bool SodiumReady() {
  static std::once_flag once;
  static bool ready = false;
  std::call_once(once, [] { ready = sodium_init() >= 0; });
  return ready;
}

}  // namespace

bool SignatureVerifies(std::string_view bytes, std::string_view signatureBase64, std::string_view publicKeyBase64) {
  if (!SodiumReady()) return false;
  std::array<unsigned char, crypto_sign_BYTES> signature{};
  std::array<unsigned char, crypto_sign_PUBLICKEYBYTES> key{};
  if (!DecodeExactly(signatureBase64, signature) || !DecodeExactly(publicKeyBase64, key)) return false;
  return crypto_sign_verify_detached(signature.data(), reinterpret_cast<const unsigned char*>(bytes.data()),
                                     bytes.size(), key.data()) == 0;
}
