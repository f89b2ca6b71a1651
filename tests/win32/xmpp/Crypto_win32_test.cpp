#include <gtest/gtest.h>

#include <string>

#include "ScramExchanges.h"
#include "xmpp/Crypto_win32.h"
#include "xmpp/Scram.h"

namespace {

using namespace xmpp;

// The exchanges of RFC 5802 and RFC 7677, user "user", password "pencil", through BCrypt.
TEST(BcryptCrypto, ScramExchanges) {
    BcryptCrypto crypto;
    for (const testdata::Exchange& row : {testdata::kSha1, testdata::kSha256}) {
        SCOPED_TRACE(row.nonce);
        ScramClient client(crypto, row.hash, "user", "pencil");
        ASSERT_TRUE(client.Start(row.nonce));
        EXPECT_EQ(client.Answer(row.serverFirst).value_or(""), row.clientFinal);
        EXPECT_TRUE(client.Verify(row.serverFinal));
    }
    const auto a = crypto.RandomBytes(18);
    const auto b = crypto.RandomBytes(18);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->size(), 18u);
    EXPECT_NE(*a, *b);
}

} // namespace
