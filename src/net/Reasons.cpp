#include "Reasons.h"

namespace net {

std::string FailureWords(NetFailure failure, std::string_view domain) {
    const std::string d(domain);
    switch (failure) {
    case NetFailure::CannotReach:
        return "The server of " + d + " cannot be reached.";
    case NetFailure::Lost:
        return "The connection to the server was lost.";
    case NetFailure::TimedOut:
        return "The server did not answer in time.";
    case NetFailure::TlsFailed:
        return "A secure connection to the server could not be made.";
    case NetFailure::OldTls:
        return "The server offers only outdated encryption; Glidebanner will not send your "
               "password.";
    case NetFailure::CertNotForDomain:
        return "The server's certificate is not valid for " + d + ".";
    case NetFailure::CertUntrusted:
        return "The server's certificate is not from an authority this computer trusts.";
    case NetFailure::CertExpired:
        return "The server's certificate has expired or is not valid yet.";
    case NetFailure::CertRevoked:
        return "The server's certificate has been revoked.";
    case NetFailure::CertInvalid:
        return "The server's certificate is not valid.";
    case NetFailure::TooMuch:
        return "The server sent more than Glidebanner accepts.";
    }
    return "The connection to the server failed.";
}

std::string EndWords(xmpp::EndReason reason, std::string_view domain, std::string_view text) {
    using xmpp::EndReason;
    switch (reason) {
    case EndReason::None:
    case EndReason::ClosedByUs:
        return "Signed out.";
    case EndReason::BadAddress:
        return "The address is not of the form name@example.org.";
    case EndReason::NoEncryption:
        return "The server offers no encryption; Glidebanner will not send your password.";
    case EndReason::TlsRefused:
        return "The server refused to encrypt the connection.";
    case EndReason::NoMechanism:
        return "The server offers no sign-in method Glidebanner trusts.";
    case EndReason::WrongPassword:
        return "The password is not right.";
    case EndReason::AuthFailed:
        return "The server refused the sign-in.";
    case EndReason::BadServerSignature:
        return "The server could not prove that it knows your password.";
    case EndReason::BindFailed:
        return "The server refused the sign-in of this computer.";
    case EndReason::StreamError:
        return "The server ended the connection (" + std::string(text) + ").";
    case EndReason::BadXml:
    case EndReason::Protocol:
    case EndReason::BadAck:
        return "The server of " + std::string(domain) + " sent something Glidebanner cannot read.";
    case EndReason::Closed:
        return "The server closed the connection.";
    case EndReason::NoAnswer:
        return "The server stopped answering.";
    }
    return "The connection to the server failed.";
}

} // namespace net
