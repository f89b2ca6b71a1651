#include "Scram.h"

#include <utility>
#include <vector>

#include "Base64.h"

namespace xmpp {

namespace {

// Names and passwords go as UTF-8; one with a control character (C0, DEL or C1) or that is
// not UTF-8 at all is refused rather than sent as something the user did not type.
bool Sendable(std::string_view s) {
    if (s.empty()) return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x20 || b == 0x7F) return false;
        if (b < 0x80) continue;
        const std::size_t n = b >= 0xF0 && b <= 0xF4 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 ? 1 : 0;
        if (n == 0 || b > 0xF4 || s.size() - i <= n) return false;
        char32_t c = b & (0x3F >> n);
        for (std::size_t k = 1; k <= n; ++k) {
            const auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            c = (c << 6) | (t & 0x3F);
        }
        const char32_t least = n == 1 ? 0x80 : n == 2 ? 0x800 : 0x10000;
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) || (c >= 0x80 && c < 0xA0))
            return false;
        i += n;
    }
    return true;
}

// The message's attributes, each one letter, '=' and a value, separated by commas.
std::optional<std::vector<std::pair<char, std::string_view>>> Attributes(std::string_view m) {
    std::vector<std::pair<char, std::string_view>> out;
    std::size_t i = 0;
    while (true) {
        const std::size_t comma = m.find(',', i);
        const std::string_view part = m.substr(i, comma == m.npos ? m.npos : comma - i);
        if (part.size() < 2 || part[1] != '=' ||
            !((part[0] >= 'a' && part[0] <= 'z') || (part[0] >= 'A' && part[0] <= 'Z')))
            return std::nullopt;
        out.emplace_back(part[0], part.substr(2));
        if (comma == m.npos) return out;
        i = comma + 1;
    }
}

} // namespace

ScramClient::ScramClient(ICrypto& crypto, Hash hash, std::string username, std::string password)
    : crypto_(crypto), hash_(hash), username_(std::move(username)), password_(std::move(password)) {
}

std::optional<std::string> ScramClient::Fail(ScramError e) {
    error_ = e;
    return std::nullopt;
}

std::optional<std::string> ScramClient::Start() {
    const auto random = crypto_.RandomBytes(18);
    if (!random) return Fail(ScramError::CryptoFailed);
    return Start(Base64Encode(*random));
}

std::optional<std::string> ScramClient::Start(std::string_view nonce) {
    if (!Sendable(username_) || !Sendable(password_)) return Fail(ScramError::BadCredentials);
    // '=' and ',' in the name are written =3D and =2C.
    std::string name;
    for (const char c : username_)
        name += c == '=' ? "=3D" : c == ',' ? "=2C" : std::string(1, c);
    nonce_ = nonce;
    clientFirstBare_ = "n=" + name + ",r=" + nonce_;
    return "n,," + clientFirstBare_;
}

std::optional<std::string> ScramClient::Answer(std::string_view serverFirst) {
    const auto attrs = Attributes(serverFirst);
    // r, s and i in that order; any further attribute is an extension we may ignore, but a
    // mandatory one (m=) is refused.
    if (!attrs || attrs->size() < 3 || (*attrs)[0].first != 'r' || (*attrs)[1].first != 's' ||
        (*attrs)[2].first != 'i')
        return Fail(ScramError::BadServerMessage);
    const std::string_view nonce = (*attrs)[0].second;
    for (const char c : nonce)
        if (c < 0x21 || c > 0x7E) return Fail(ScramError::BadServerMessage);
    if (nonce.size() <= nonce_.size() || nonce.substr(0, nonce_.size()) != nonce_)
        return Fail(ScramError::NonceMismatch);
    const auto salt = Base64Decode((*attrs)[1].second);
    if (!salt || salt->empty()) return Fail(ScramError::BadServerMessage);
    const std::string_view count = (*attrs)[2].second;
    std::uint64_t iterations = 0;
    if (count.empty() || count.size() > 10 || count[0] == '0')
        return Fail(ScramError::BadServerMessage);
    for (const char c : count) {
        if (c < '0' || c > '9') return Fail(ScramError::BadServerMessage);
        iterations = iterations * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (iterations < kMinIterations || iterations > kMaxIterations)
        return Fail(ScramError::BadIterations);

    const std::string withoutProof = "c=biws,r=" + std::string(nonce);
    const std::string authMessage =
        clientFirstBare_ + "," + std::string(serverFirst) + "," + withoutProof;
    const auto salted =
        crypto_.Pbkdf2(hash_, password_, *salt, static_cast<std::uint32_t>(iterations));
    if (!salted) return Fail(ScramError::CryptoFailed);
    const auto clientKey = crypto_.Hmac(hash_, *salted, "Client Key");
    const auto storedKey = clientKey ? crypto_.Digest(hash_, *clientKey) : std::nullopt;
    const auto signature = storedKey ? crypto_.Hmac(hash_, *storedKey, authMessage) : std::nullopt;
    const auto serverKey = crypto_.Hmac(hash_, *salted, "Server Key");
    const auto serverSignature =
        serverKey ? crypto_.Hmac(hash_, *serverKey, authMessage) : std::nullopt;
    if (!signature || !serverSignature || signature->size() != clientKey->size())
        return Fail(ScramError::CryptoFailed);
    std::string proof = *clientKey;
    for (std::size_t k = 0; k < proof.size(); ++k)
        proof[k] = static_cast<char>(proof[k] ^ (*signature)[k]);
    serverSignature_ = *serverSignature;
    return withoutProof + ",p=" + Base64Encode(proof);
}

bool ScramClient::Verify(std::string_view serverFinal) {
    if (serverSignature_.empty()) {
        // Nothing was answered: there is no signature to compare with.
        error_ = error_ == ScramError::None ? ScramError::BadServerMessage : error_;
        return false;
    }
    const auto attrs = Attributes(serverFinal);
    if (attrs && (*attrs)[0].first == 'e') {
        error_ = ScramError::ServerError;
        errorText_ = (*attrs)[0].second;
        return false;
    }
    if (!attrs || (*attrs)[0].first != 'v') {
        error_ = ScramError::BadServerMessage;
        return false;
    }
    const auto signature = Base64Decode((*attrs)[0].second);
    if (!signature || *signature != serverSignature_) {
        error_ = ScramError::BadSignature;
        return false;
    }
    return true;
}

} // namespace xmpp
