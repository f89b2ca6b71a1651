#pragma once
// The words a user reads for every way a connection to the server fails or ends.
#include <string>
#include <string_view>

#include "xmpp/Session.h"

namespace net {

// What went wrong below the XMPP session: the network, TLS or the server's certificate.
enum class NetFailure {
    CannotReach,      // no address, or every connection attempt failed
    Lost,             // the connection closed or failed after it was made
    TimedOut,         // no sign-in within the connection's time
    TlsFailed,        // the TLS handshake failed
    OldTls,           // the server negotiated less than TLS 1.2
    CertNotForDomain, // the certificate does not name the domain
    CertUntrusted,    // its chain does not end at an authority this computer trusts
    CertExpired,      // it, or a certificate of its chain, is not valid today
    CertRevoked,
    CertInvalid, // any other fault of the certificate or its chain
    TooMuch,     // the server sent more than a bound allows
};

// `domain` is the account's domain, which the certificate must name.
std::string FailureWords(NetFailure failure, std::string_view domain);

// The words for a session's end; `text` is the event's text (a stream error's condition).
std::string EndWords(xmpp::EndReason reason, std::string_view domain, std::string_view text);

} // namespace net
