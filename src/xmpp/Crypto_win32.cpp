#include <windows.h>

#include <bcrypt.h>

#include "Crypto_win32.h"
#include "kit/Handles_win32.h"

namespace xmpp {

namespace {

bool Ok(NTSTATUS status) { return status >= 0; }

PUCHAR Bytes(std::string_view s) {
    // BCrypt's inputs are not written to; its prototypes only lack the const.
    return reinterpret_cast<PUCHAR>(const_cast<char*>(s.data()));
}

gb::unique_bcrypt_alg Open(Hash hash, bool hmac) {
    BCRYPT_ALG_HANDLE h = nullptr;
    if (!Ok(::BCryptOpenAlgorithmProvider(
            &h, hash == Hash::Sha1 ? BCRYPT_SHA1_ALGORITHM : BCRYPT_SHA256_ALGORITHM, nullptr,
            hmac ? BCRYPT_ALG_HANDLE_HMAC_FLAG : 0)))
        return {};
    return gb::unique_bcrypt_alg(h);
}

std::size_t Length(Hash hash) { return hash == Hash::Sha1 ? 20 : 32; }

std::optional<std::string> Run(Hash hash, bool hmac, std::string_view key, std::string_view data) {
    const gb::unique_bcrypt_alg alg = Open(hash, hmac);
    if (!alg) return std::nullopt;
    BCRYPT_HASH_HANDLE h = nullptr;
    if (!Ok(::BCryptCreateHash(alg.get(), &h, nullptr, 0, hmac ? Bytes(key) : nullptr,
                               hmac ? static_cast<ULONG>(key.size()) : 0, 0)))
        return std::nullopt;
    const gb::unique_bcrypt_hash owned(h);
    std::string out(Length(hash), '\0');
    if (!Ok(::BCryptHashData(h, Bytes(data), static_cast<ULONG>(data.size()), 0)) ||
        !Ok(::BCryptFinishHash(h, Bytes(out), static_cast<ULONG>(out.size()), 0)))
        return std::nullopt;
    return out;
}

} // namespace

std::optional<std::string> BcryptCrypto::Digest(Hash hash, std::string_view data) {
    return Run(hash, false, {}, data);
}

std::optional<std::string> BcryptCrypto::Hmac(Hash hash, std::string_view key,
                                              std::string_view data) {
    return Run(hash, true, key, data);
}

std::optional<std::string> BcryptCrypto::Pbkdf2(Hash hash, std::string_view password,
                                                std::string_view salt, std::uint32_t iterations) {
    const gb::unique_bcrypt_alg alg = Open(hash, true);
    if (!alg) return std::nullopt;
    std::string out(Length(hash), '\0');
    if (!Ok(::BCryptDeriveKeyPBKDF2(alg.get(), Bytes(password), static_cast<ULONG>(password.size()),
                                    Bytes(salt), static_cast<ULONG>(salt.size()), iterations,
                                    Bytes(out), static_cast<ULONG>(out.size()), 0)))
        return std::nullopt;
    return out;
}

std::optional<std::string> BcryptCrypto::RandomBytes(std::size_t count) {
    std::string out(count, '\0');
    if (!Ok(::BCryptGenRandom(nullptr, Bytes(out), static_cast<ULONG>(count),
                              BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        return std::nullopt;
    return out;
}

} // namespace xmpp
