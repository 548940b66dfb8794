// Ed25519 signatures of released files, checked with libsodium.
//
// Implements: verification of a detached signature over a file's exact bytes, with signature
// and public key given as base64 text (standard alphabet, padded), as a release publishes them.
#pragma once

#include <string_view>

// Whether the signature is a valid Ed25519 signature of the bytes under the public key. A
// signature or key that is no base64 of the right length verifies nothing.
bool SignatureVerifies(std::string_view bytes, std::string_view signatureBase64, std::string_view publicKeyBase64);
