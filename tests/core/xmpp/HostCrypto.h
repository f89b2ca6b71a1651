#pragma once
// The crypto interface over OpenSSL's libcrypto, for the host tests.
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include "xmpp/Crypto.h"

class HostCrypto : public xmpp::ICrypto {
  public:
    std::optional<std::string> Digest(xmpp::Hash hash, std::string_view data) override {
        std::string out(EVP_MAX_MD_SIZE, '\0');
        unsigned n = 0;
        if (!EVP_Digest(data.data(), data.size(), Bytes(out), &n, Md(hash), nullptr))
            return std::nullopt;
        return out.substr(0, n);
    }
    std::optional<std::string> Hmac(xmpp::Hash hash, std::string_view key,
                                    std::string_view data) override {
        std::string out(EVP_MAX_MD_SIZE, '\0');
        unsigned n = 0;
        if (!HMAC(Md(hash), key.data(), static_cast<int>(key.size()),
                  reinterpret_cast<const unsigned char*>(data.data()), data.size(), Bytes(out), &n))
            return std::nullopt;
        return out.substr(0, n);
    }
    std::optional<std::string> Pbkdf2(xmpp::Hash hash, std::string_view password,
                                      std::string_view salt, std::uint32_t iterations) override {
        std::string out(static_cast<std::size_t>(EVP_MD_get_size(Md(hash))), '\0');
        if (!PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                               reinterpret_cast<const unsigned char*>(salt.data()),
                               static_cast<int>(salt.size()), static_cast<int>(iterations),
                               Md(hash), static_cast<int>(out.size()), Bytes(out)))
            return std::nullopt;
        return out;
    }
    std::optional<std::string> RandomBytes(std::size_t count) override {
        std::string out(count, '\0');
        if (RAND_bytes(Bytes(out), static_cast<int>(count)) != 1) return std::nullopt;
        return out;
    }

  private:
    static const EVP_MD* Md(xmpp::Hash hash) {
        return hash == xmpp::Hash::Sha1 ? EVP_sha1() : EVP_sha256();
    }
    static unsigned char* Bytes(std::string& s) {
        return reinterpret_cast<unsigned char*>(s.data());
    }
};
