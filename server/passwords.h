#pragma once
// Secrets of the member area: passwords are kept only as salted PBKDF2 hashes, and access keys
// and salts come from the system's cryptographic random source.

#include <string>

namespace ludomat::server {

// Iterations of PBKDF2-HMAC-SHA256: slow enough to make guessing a stolen hash expensive,
// quick enough (tens of milliseconds) for a log-in.
constexpr int kPasswordIterations = 100'000;

// 16 random bytes.
std::string newSalt();
// 32 random bytes as 64 lowercase hex digits: the member key handed out at log-in.
std::string newAccessKey();
// The 32-byte hash of `password` with `salt`.
std::string hashPassword(const std::string& password, const std::string& salt);
// The SHA-256 of a member key as 64 hex digits: what is stored, so a copied database holds no key.
std::string keyDigest(const std::string& key);
// Compares two hashes in time that does not depend on where they differ.
bool sameHash(const std::string& a, const std::string& b);

}  // namespace ludomat::server
