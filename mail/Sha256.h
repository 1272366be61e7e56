// SHA-256 (FIPS 180-4) of a byte string, for the sign-in's proof key (RFC 7636 S256).
// Platform-free.
#pragma once

#include <array>
#include <cstdint>
#include <string>

using Sha256Digest = std::array<uint8_t, 32>;

Sha256Digest Sha256(const std::string& bytes);
