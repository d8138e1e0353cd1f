#include "server/sha256.h"

namespace board {

void Sha256Begin(Sha256* sha) { sha256_init(&sha->context); }

void Sha256Add(Sha256* sha, const void* data, std::size_t size) {
    sha256_update(&sha->context, size, static_cast<const std::uint8_t*>(data));
}

std::string Sha256Hex(Sha256* sha) {
    std::uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(&sha->context, sizeof digest, digest);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * sizeof digest);
    for (std::uint8_t byte : digest) {
        hex += kHex[byte >> 4];
        hex += kHex[byte & 15];
    }
    return hex;
}

}  // namespace board
