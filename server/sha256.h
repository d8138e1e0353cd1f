// SHA-256, for naming a demo and its game in the database: a key nobody can make collide, so that
// no crafted demo can take the place of another player's game. Nettle computes it.
#pragma once

#include <nettle/sha2.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace board {

struct Sha256 {
    sha256_ctx context;
};

void Sha256Begin(Sha256* sha);
void Sha256Add(Sha256* sha, const void* data, std::size_t size);
// The digest as 64 lower-case hex digits.
std::string Sha256Hex(Sha256* sha);

inline std::string Sha256Of(std::string_view bytes) {
    Sha256 sha;
    Sha256Begin(&sha);
    Sha256Add(&sha, bytes.data(), bytes.size());
    return Sha256Hex(&sha);
}

}  // namespace board
