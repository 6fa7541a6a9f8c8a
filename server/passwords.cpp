#include "server/passwords.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <stdexcept>

namespace ludomat::server {

namespace {

std::string randomBytes(size_t count)
{
    std::string bytes(count, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), int(count)) != 1)
        throw std::runtime_error("sem fonte de números aleatórios");
    return bytes;
}

std::string hex(const std::string& bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

}  // namespace

std::string newSalt()
{
    return randomBytes(16);
}

std::string newAccessKey()
{
    return hex(randomBytes(32));
}

std::string keyDigest(const std::string& key)
{
    unsigned char digest[32];
    unsigned int size = 0;
    if (EVP_Digest(key.data(), key.size(), digest, &size, EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("falha ao calcular o resumo da chave");
    return hex(std::string(reinterpret_cast<char*>(digest), size));
}

std::string hashPassword(const std::string& password, const std::string& salt)
{
    std::string hash(32, '\0');
    if (PKCS5_PBKDF2_HMAC(password.data(), int(password.size()), reinterpret_cast<const unsigned char*>(salt.data()),
                          int(salt.size()), kPasswordIterations, EVP_sha256(), int(hash.size()),
                          reinterpret_cast<unsigned char*>(hash.data())) != 1)
        throw std::runtime_error("falha ao calcular o resumo da senha");
    return hash;
}

bool sameHash(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace ludomat::server
