// Signs a release's updater for the update check: makes the release key pair, and prints the
// line that the updater's version page carries. Ed25519 through libsodium.
//
//   tamiro_sign keygen SECRET_KEY_FILE        new key pair; prints the public key
//   tamiro_sign public SECRET_KEY_FILE        prints the public key of a secret key file
//   tamiro_sign sign SECRET_KEY_FILE FILE     prints "Update_Signature=..." for the file
//   tamiro_sign verify PUBLIC_KEY SIGNATURE FILE   exit 0 when the signature holds (the
//                                                   signature alone or the page's line)
//
// Keys and signatures are base64 text (standard alphabet, padded). The secret key file holds
// one line and is created readable by its owner only; it never belongs in the repository.
#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace {

using SecretKey = std::array<unsigned char, crypto_sign_SECRETKEYBYTES>;

int Usage() {
  std::fprintf(stderr,
               "usage: tamiro_sign keygen SECRET_KEY_FILE\n"
               "       tamiro_sign public SECRET_KEY_FILE\n"
               "       tamiro_sign sign SECRET_KEY_FILE FILE\n"
               "       tamiro_sign verify PUBLIC_KEY SIGNATURE FILE\n");
  return 2;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "tamiro_sign: %s\n", message.c_str());
  return 1;
}

std::string ToBase64(const unsigned char* bytes, std::size_t length) {
  std::string text(sodium_base64_ENCODED_LEN(length, sodium_base64_VARIANT_ORIGINAL), '\0');
  sodium_bin2base64(text.data(), text.size(), bytes, length, sodium_base64_VARIANT_ORIGINAL);
  text.resize(std::strlen(text.c_str()));
  return text;
}

template <std::size_t N>
bool FromBase64(const std::string& text, std::array<unsigned char, N>& out) {
  std::size_t length = 0;
  const char* end = nullptr;
  return sodium_base642bin(out.data(), out.size(), text.data(), text.size(), " \t\r\n", &length, &end,
                           sodium_base64_VARIANT_ORIGINAL) == 0 &&
         length == N && end == text.data() + text.size();
}

std::optional<std::string> ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool ReadSecretKey(const char* path, SecretKey& key) {
  std::optional<std::string> text = ReadFile(path);
  bool ok = text && FromBase64(*text, key);
  if (text) sodium_memzero(text->data(), text->size());
  return ok;
}

std::string PublicKeyOf(const SecretKey& key) {
  std::array<unsigned char, crypto_sign_PUBLICKEYBYTES> pk{};
  crypto_sign_ed25519_sk_to_pk(pk.data(), key.data());
  return ToBase64(pk.data(), pk.size());
}

int KeyGen(const char* path) {
  std::array<unsigned char, crypto_sign_PUBLICKEYBYTES> pk{};
  SecretKey sk{};
  crypto_sign_keypair(pk.data(), sk.data());
  std::string line = ToBase64(sk.data(), sk.size()) + "\n";
  sodium_memzero(sk.data(), sk.size());
  // Never over an existing key: losing the release key would orphan every installed copy.
  int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return Fail(std::string("cannot create ") + path + ": " + std::strerror(errno));
  bool written = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  sodium_memzero(line.data(), line.size());
  if (::close(fd) != 0 || !written) return Fail(std::string("cannot write ") + path);
  std::printf("%s\n", ToBase64(pk.data(), pk.size()).c_str());
  return 0;
}

int PrintPublic(const char* keyPath) {
  SecretKey sk{};
  if (!ReadSecretKey(keyPath, sk)) return Fail(std::string("no secret key in ") + keyPath);
  std::printf("%s\n", PublicKeyOf(sk).c_str());
  sodium_memzero(sk.data(), sk.size());
  return 0;
}

int Sign(const char* keyPath, const char* filePath) {
  std::optional<std::string> bytes = ReadFile(filePath);
  if (!bytes) return Fail(std::string("cannot read ") + filePath);
  SecretKey sk{};
  if (!ReadSecretKey(keyPath, sk)) return Fail(std::string("no secret key in ") + keyPath);
  std::array<unsigned char, crypto_sign_BYTES> signature{};
  crypto_sign_detached(signature.data(), nullptr, reinterpret_cast<const unsigned char*>(bytes->data()),
                       bytes->size(), sk.data());
  sodium_memzero(sk.data(), sk.size());
  std::printf("Update_Signature=%s\n", ToBase64(signature.data(), signature.size()).c_str());
  return 0;
}

int Verify(const char* publicKey, std::string signatureText, const char* filePath) {
  // The line as the page carries it is accepted too.
  const std::string prefix = "Update_Signature=";
  if (signatureText.rfind(prefix, 0) == 0) signatureText.erase(0, prefix.size());
  std::array<unsigned char, crypto_sign_PUBLICKEYBYTES> pk{};
  std::array<unsigned char, crypto_sign_BYTES> signature{};
  if (!FromBase64(publicKey, pk)) return Fail("the public key is no base64 of 32 bytes");
  if (!FromBase64(signatureText, signature)) return Fail("the signature is no base64 of 64 bytes");
  std::optional<std::string> bytes = ReadFile(filePath);
  if (!bytes) return Fail(std::string("cannot read ") + filePath);
  if (crypto_sign_verify_detached(signature.data(), reinterpret_cast<const unsigned char*>(bytes->data()),
                                  bytes->size(), pk.data()) != 0)
    return Fail("the signature does not hold for this file");
  std::printf("good signature\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (sodium_init() < 0) return Fail("libsodium could not start");
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "keygen" && argc == 3) return KeyGen(argv[2]);
  if (command == "public" && argc == 3) return PrintPublic(argv[2]);
  if (command == "sign" && argc == 4) return Sign(argv[2], argv[3]);
  if (command == "verify" && argc == 5) return Verify(argv[2], argv[3], argv[4]);
  return Usage();
}
