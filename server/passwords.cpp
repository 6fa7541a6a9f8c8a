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

}  // namespace

std::string newSalt()
{
    return randomBytes(16);
}

std::string newAccessKey()
{
    static const char kDigits[] = "0123456789abcdef";
    std::string key;
    for (unsigned char byte : randomBytes(32)) {
        key += kDigits[byte >> 4];
        key += kDigits[byte & 15];
    }
    return key;
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
