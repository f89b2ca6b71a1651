#pragma once
// The client side of TLS over SChannel, without I/O of its own: fed what arrives, it appends
// what to send and the plaintext. TLS 1.2 or later; the server's certificate is validated here,
// not by SChannel (which under Wine checks nothing): its chain for server use, any fault of the
// chain refused, then the SSL policy with the domain's name.
#define SECURITY_WIN32
#define SCHANNEL_USE_BLACKLISTS // declares SCH_CREDENTIALS and TLS_PARAMETERS
#include <windows.h>

#include <winternl.h> // UNICODE_STRING, which schannel.h uses

#include <schannel.h>
#include <security.h>
#include <sspi.h>

#include <string>
#include <string_view>

#include "Reasons.h"

namespace net {

class TlsClient {
  public:
    // Encrypted bytes kept while a record or handshake message is incomplete: a record is at
    // most 16 KiB and some 2 KiB of overhead; a handshake flight (the certificate chain) is
    // allowed more.
    static constexpr std::size_t kMaxRecordBuffer = 20 * 1024;
    static constexpr std::size_t kMaxHandshakeBuffer = 64 * 1024;

    enum class Status { Continue, Up, Failed, Closed };

    // `domain` is the name the certificate must carry.
    explicit TlsClient(std::string domain);
    ~TlsClient();
    TlsClient(const TlsClient&) = delete;
    TlsClient& operator=(const TlsClient&) = delete;

    // The first handshake message, appended to `out`.
    Status Start(std::string& out);
    // Bytes from the server: handshake messages to send appended to `out`, plaintext to
    // `plain`. Up once, when the handshake is done and the certificate valid.
    Status Feed(std::string_view in, std::string& out, std::string& plain);
    bool Encrypt(std::string_view plain, std::string& out);

    NetFailure Failure() const { return failure_; }
    bool IsUp() const { return up_; }

  private:
    Status Handshake(std::string& out, std::string& plain);
    Status Decrypt(std::string& plain);
    Status Fail(NetFailure failure);
    bool Validate();

    std::string domain_;
    std::wstring wideDomain_;
    CredHandle cred_{};
    CtxtHandle ctx_{};
    bool haveCred_ = false;
    bool haveCtx_ = false;
    bool up_ = false;
    bool failed_ = false;
    NetFailure failure_ = NetFailure::TlsFailed;
    std::string in_;
    SecPkgContext_StreamSizes sizes_{};
};

} // namespace net
