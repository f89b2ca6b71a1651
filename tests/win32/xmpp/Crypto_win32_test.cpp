#include <gtest/gtest.h>

#include <string>

#include "xmpp/Crypto_win32.h"
#include "xmpp/Scram.h"

namespace {

using namespace xmpp;

// The exchanges of RFC 5802 and RFC 7677, user "user", password "pencil", through BCrypt.
TEST(BcryptCrypto, ScramExchanges) {
    const struct {
        Hash hash;
        const char* nonce;
        const char* serverFirst;
        const char* clientFinal;
        const char* serverFinal;
    } rows[] = {
        {Hash::Sha1, "fyko+d2lbbFgONRv9qkxdawL",
         "r=fyko+d2lbbFgONRv9qkxdawL3rfcNHYJY1ZVvWVs7j,s=QSXCR+Q6sek8bf92,i=4096",
         "c=biws,r=fyko+d2lbbFgONRv9qkxdawL3rfcNHYJY1ZVvWVs7j,p=v0X8v3Bz2T0CJGbJQyF0X+HI4Ts=",
         "v=rmF9pqV8S7suAoZWja4dJRkFsKQ="},
        {Hash::Sha256, "rOprNGfwEbeRWgbNEkqO",
         "r=rOprNGfwEbeRWgbNEkqO%hvYDpWUa2RaTCAfuxFIlj)hNlF$k0,s=W22ZaJ0SNY7soEsUEjb6gQ==,i=4096",
         "c=biws,r=rOprNGfwEbeRWgbNEkqO%hvYDpWUa2RaTCAfuxFIlj)hNlF$k0,"
         "p=dHzbZapWIk4jUhN+Ute9ytag9zjfMHgsqmmiz7AndVQ=",
         "v=6rriTRBi23WpRR/wtup+mMhUZUn/dB5nLTJRsjl95G4="},
    };
    BcryptCrypto crypto;
    for (const auto& row : rows) {
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
