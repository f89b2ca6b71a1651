#include <gtest/gtest.h>

#include <string>

#include "HostCrypto.h"
#include "ScramExchanges.h"
#include "xmpp/Base64.h"
#include "xmpp/Scram.h"

namespace {

using namespace xmpp;

using testdata::Exchange;
using testdata::kSha1;
using testdata::kSha256;

// The server-first message `serverFirst` to the client-first message with nonce "abc".
constexpr Exchange First(const char* serverFirst) {
    return {Hash::Sha1, "abc", serverFirst, "", ""};
}

TEST(Scram, ExchangesAndRefusals) {
    const struct {
        Exchange x;
        ScramError error; // where the exchange stops, None for success
        const char* user = "user";
        const char* password = "pencil";
        const char* serverFinal = nullptr; // in place of the exchange's
    } rows[] = {
        {kSha1, ScramError::None},
        {kSha256, ScramError::None},
        {kSha1, ScramError::ServerError, "user", "pencil", "e=other-error"},
        {kSha1, ScramError::BadCredentials, "user", "pen\ncil"},
        {kSha1, ScramError::BadCredentials, "us\xC2\x85r"},
        {kSha1, ScramError::BadCredentials, "user", "\xC0\xA0"},
        {kSha1, ScramError::BadCredentials, ""},
        {First("r=abd1,s=QSXCR+Q6sek8bf92,i=4096"), ScramError::NonceMismatch},
        {First("r=abc,s=QSXCR+Q6sek8bf92,i=4096"), ScramError::NonceMismatch},
        {First("r=abc1,s=QSXCR+Q6sek8bf92,i=4095"), ScramError::BadIterations},
        {First("r=abc1,s=QSXCR+Q6sek8bf92,i=10000001"), ScramError::BadIterations},
        {First("r=abc1,s=QSXCR+Q6sek8bf9,i=4096"), ScramError::BadServerMessage},
        {First("m=x,r=abc1,s=QSXCR+Q6sek8bf92,i=4096"), ScramError::BadServerMessage},
        {First("r=abc1,i=4096"), ScramError::BadServerMessage},
        {First("r=abc1,s=QSXCR+Q6sek8bf92,i=04096"), ScramError::BadServerMessage},
    };
    HostCrypto crypto;
    for (const auto& row : rows) {
        const char* serverFinal = row.serverFinal ? row.serverFinal : row.x.serverFinal;
        SCOPED_TRACE(std::string(row.x.serverFirst) + " " + serverFinal + " " + row.password);
        ScramClient client(crypto, row.x.hash, row.user, row.password);
        const auto first = client.Start(row.x.nonce);
        if (first) {
            EXPECT_EQ(*first, std::string("n,,n=user,r=") + row.x.nonce);
        }
        const auto final = first ? client.Answer(row.x.serverFirst) : std::nullopt;
        if (final && *row.x.clientFinal) {
            EXPECT_EQ(*final, row.x.clientFinal);
        }
        EXPECT_EQ(final && client.Verify(serverFinal), row.error == ScramError::None);
        EXPECT_EQ(client.Error(), row.error);
        EXPECT_EQ(client.ErrorText() == "other-error", row.error == ScramError::ServerError);
    }
    // '=' and ',' in a name travel escaped; a random nonce is 24 base64 characters.
    ScramClient named(crypto, Hash::Sha256, "a=b,c", "pencil");
    const auto first = named.Start();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->substr(0, 17), "n,,n=a=3Db=2Cc,r=");
    EXPECT_EQ(first->size(), 17u + 24u);
}

TEST(Scram, Base64) {
    const struct {
        const char* text;
        const char* bytes; // nullptr: refused
    } rows[] = {
        {"", ""},          {"Zg==", "f"},        {"Zm8=", "fo"},
        {"Zm9v", "foo"},   {"Zm9vYg==", "foob"}, {"Zh==", nullptr},
        {"Zm9=", nullptr}, {"Zm9", nullptr},     {"Z===", nullptr},
        {"Zg=a", nullptr}, {"Zm 9", nullptr},    {"Zg==Zg==", nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const auto decoded = Base64Decode(row.text);
        EXPECT_EQ(decoded.has_value(), row.bytes != nullptr);
        if (decoded && row.bytes) {
            EXPECT_EQ(*decoded, row.bytes);
            EXPECT_EQ(Base64Encode(*decoded), row.text);
        }
    }
}

} // namespace
