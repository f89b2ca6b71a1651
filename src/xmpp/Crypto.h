#pragma once
// What SASL SCRAM needs of the platform's cryptography (BCrypt on Windows). Each call gives
// nothing when the platform fails, and the sign-in then fails rather than send a wrong proof.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace xmpp {

enum class Hash { Sha1, Sha256 };

class ICrypto {
  public:
    virtual ~ICrypto() = default;
    virtual std::optional<std::string> Digest(Hash hash, std::string_view data) = 0;
    virtual std::optional<std::string> Hmac(Hash hash, std::string_view key,
                                            std::string_view data) = 0;
    // PBKDF2 with HMAC of `hash`, one block long: SCRAM's Hi().
    virtual std::optional<std::string> Pbkdf2(Hash hash, std::string_view password,
                                              std::string_view salt, std::uint32_t iterations) = 0;
    virtual std::optional<std::string> RandomBytes(std::size_t count) = 0;
};

} // namespace xmpp
