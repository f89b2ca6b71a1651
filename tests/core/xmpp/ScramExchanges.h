// The SCRAM exchanges of RFC 5802 (SHA-1) and RFC 7677 (SHA-256), user "user", password
// "pencil": the host tables and the Wine test of BCrypt run the same ones.
#pragma once

#include "xmpp/Crypto.h"

namespace xmpp::testdata {

struct Exchange {
    Hash hash;
    const char* nonce;
    const char* serverFirst;
    const char* clientFinal;
    const char* serverFinal;
};

constexpr Exchange kSha1{
    Hash::Sha1, "fyko+d2lbbFgONRv9qkxdawL",
    "r=fyko+d2lbbFgONRv9qkxdawL3rfcNHYJY1ZVvWVs7j,s=QSXCR+Q6sek8bf92,i=4096",
    "c=biws,r=fyko+d2lbbFgONRv9qkxdawL3rfcNHYJY1ZVvWVs7j,p=v0X8v3Bz2T0CJGbJQyF0X+HI4Ts=",
    "v=rmF9pqV8S7suAoZWja4dJRkFsKQ="};
constexpr Exchange kSha256{
    Hash::Sha256, "rOprNGfwEbeRWgbNEkqO",
    "r=rOprNGfwEbeRWgbNEkqO%hvYDpWUa2RaTCAfuxFIlj)hNlF$k0,s=W22ZaJ0SNY7soEsUEjb6gQ==,i=4096",
    "c=biws,r=rOprNGfwEbeRWgbNEkqO%hvYDpWUa2RaTCAfuxFIlj)hNlF$k0,"
    "p=dHzbZapWIk4jUhN+Ute9ytag9zjfMHgsqmmiz7AndVQ=",
    "v=6rriTRBi23WpRR/wtup+mMhUZUn/dB5nLTJRsjl95G4="};

} // namespace xmpp::testdata
