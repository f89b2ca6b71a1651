#pragma once
// The client side of SASL SCRAM-SHA-1 and SCRAM-SHA-256 without channel binding: it sends the
// first message, answers the server's challenge with its proof, and reports success only once
// the server has proved that it knows the password too.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Crypto.h"

namespace xmpp {

enum class ScramError {
    None,
    BadCredentials,   // a user name or password that cannot be sent (empty, control characters)
    BadServerMessage, // a server message that does not parse, or asks for what we do not offer
    NonceMismatch,    // the server's nonce does not extend ours
    BadIterations,    // an iteration count under 4096 or over 10,000,000
    ServerError,      // the server's e= answer; its words in ErrorText()
    BadSignature,     // the server's signature is not the one the password gives
    CryptoFailed,
};

class ScramClient {
  public:
    static constexpr std::uint32_t kMinIterations = 4096;
    // Bounds the work a server can make the messenger do before it proves anything.
    static constexpr std::uint32_t kMaxIterations = 10'000'000;

    ScramClient(ICrypto& crypto, Hash hash, std::string username, std::string password);

    static const char* Mechanism(Hash hash) {
        return hash == Hash::Sha1 ? "SCRAM-SHA-1" : "SCRAM-SHA-256";
    }
    // The client-first message, with a nonce of 18 random bytes or the one given.
    std::optional<std::string> Start();
    std::optional<std::string> Start(std::string_view nonce);
    // The client-final message with the proof, for the server-first message.
    std::optional<std::string> Answer(std::string_view serverFirst);
    // Whether the server-final message carries the server signature the password gives.
    bool Verify(std::string_view serverFinal);

    ScramError Error() const { return error_; }
    const std::string& ErrorText() const { return errorText_; }

  private:
    std::optional<std::string> Fail(ScramError e);

    ICrypto& crypto_;
    Hash hash_;
    std::string username_;
    std::string password_;
    std::string nonce_;
    std::string clientFirstBare_;
    std::string serverSignature_;
    ScramError error_ = ScramError::None;
    std::string errorText_;
};

} // namespace xmpp
