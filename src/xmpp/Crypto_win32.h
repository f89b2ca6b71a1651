#pragma once
// The crypto interface over Windows' BCrypt (Windows 7 and later).
#include "Crypto.h"

namespace xmpp {

class BcryptCrypto : public ICrypto {
  public:
    std::optional<std::string> Digest(Hash hash, std::string_view data) override;
    std::optional<std::string> Hmac(Hash hash, std::string_view key,
                                    std::string_view data) override;
    std::optional<std::string> Pbkdf2(Hash hash, std::string_view password, std::string_view salt,
                                      std::uint32_t iterations) override;
    std::optional<std::string> RandomBytes(std::size_t count) override;
};

} // namespace xmpp
