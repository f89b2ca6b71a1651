#include "Tls_win32.h"

#include <wincrypt.h>

#include <algorithm>
#include <vector>

namespace net {

namespace {

constexpr DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                                ISC_REQ_CONFIDENTIALITY | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                                ISC_REQ_USE_SUPPLIED_CREDS | ISC_REQ_MANUAL_CRED_VALIDATION;
constexpr DWORD kCredFlags =
    SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;

std::wstring Widen(std::string_view s) {
    if (s.empty()) return {};
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(std::max(n, 0)), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

// Frees what SChannel allocated for an output buffer.
struct ContextBuffer {
    void* p = nullptr;
    ~ContextBuffer() {
        if (p) ::FreeContextBuffer(p);
    }
};

NetFailure ChainFailure(DWORD bits) {
    if (bits & CERT_TRUST_IS_REVOKED) return NetFailure::CertRevoked;
    if (bits & (CERT_TRUST_IS_NOT_TIME_VALID | CERT_TRUST_CTL_IS_NOT_TIME_VALID))
        return NetFailure::CertExpired;
    if (bits & (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN | CERT_TRUST_IS_CYCLIC))
        return NetFailure::CertUntrusted;
    return NetFailure::CertInvalid;
}

NetFailure PolicyFailure(DWORD error) {
    switch (error) {
    case static_cast<DWORD>(CERT_E_CN_NO_MATCH):
        return NetFailure::CertNotForDomain;
    case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT):
    case static_cast<DWORD>(CERT_E_CHAINING):
    case static_cast<DWORD>(TRUST_E_CERT_SIGNATURE):
        return NetFailure::CertUntrusted;
    case static_cast<DWORD>(CERT_E_EXPIRED):
        return NetFailure::CertExpired;
    case static_cast<DWORD>(CRYPT_E_REVOKED):
        return NetFailure::CertRevoked;
    default:
        return NetFailure::CertInvalid;
    }
}

} // namespace

TlsClient::TlsClient(std::string domain)
    : domain_(std::move(domain)), wideDomain_(Widen(domain_)) {}

TlsClient::~TlsClient() {
    if (haveCtx_) ::DeleteSecurityContext(&ctx_);
    if (haveCred_) ::FreeCredentialsHandle(&cred_);
}

TlsClient::Status TlsClient::Fail(NetFailure failure) {
    failed_ = true;
    failure_ = failure;
    in_.clear();
    return Status::Failed;
}

TlsClient::Status TlsClient::Start(std::string& out) {
    TimeStamp expiry;
    // Newer Windows negotiates TLS 1.3 where the server offers it through SCH_CREDENTIALS, with
    // everything before TLS 1.2 disabled; older systems and Wine take only SCHANNEL_CRED.
    TLS_PARAMETERS params{};
    constexpr DWORD kAllowed = SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT;
    params.grbitDisabledProtocols = ~kAllowed;
    SCH_CREDENTIALS modern{};
    modern.dwVersion = SCH_CREDENTIALS_VERSION;
    modern.dwFlags = kCredFlags;
    modern.cTlsParameters = 1;
    modern.pTlsParameters = &params;
    wchar_t package[] = UNISP_NAME_W;
    SECURITY_STATUS s = ::AcquireCredentialsHandleW(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr,
                                                    &modern, nullptr, nullptr, &cred_, &expiry);
    if (s != SEC_E_OK) {
        SCHANNEL_CRED legacy{};
        legacy.dwVersion = SCHANNEL_CRED_VERSION;
        legacy.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
        legacy.dwFlags = kCredFlags;
        s = ::AcquireCredentialsHandleW(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &legacy,
                                        nullptr, nullptr, &cred_, &expiry);
    }
    if (s != SEC_E_OK) return Fail(NetFailure::TlsFailed);
    haveCred_ = true;

    SecBuffer outBuf{0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &outBuf};
    DWORD attrs = 0;
    s = ::InitializeSecurityContextW(&cred_, nullptr, wideDomain_.data(), kContextFlags, 0, 0,
                                     nullptr, 0, &ctx_, &outDesc, &attrs, &expiry);
    ContextBuffer token{outBuf.pvBuffer};
    if (s != SEC_I_CONTINUE_NEEDED) return Fail(NetFailure::TlsFailed);
    haveCtx_ = true;
    if (outBuf.pvBuffer && outBuf.cbBuffer)
        out.append(static_cast<const char*>(outBuf.pvBuffer), outBuf.cbBuffer);
    return Status::Continue;
}

TlsClient::Status TlsClient::Feed(std::string_view in, std::string& out, std::string& plain) {
    if (failed_) return Status::Failed;
    if (!haveCtx_) return Fail(NetFailure::TlsFailed);
    in_ += in;
    const Status s = up_ ? Decrypt(plain) : Handshake(out, plain);
    // What is left waits for the rest of one record or handshake message.
    if (s != Status::Failed && in_.size() > (up_ ? kMaxRecordBuffer : kMaxHandshakeBuffer))
        return Fail(NetFailure::TooMuch);
    return s;
}

TlsClient::Status TlsClient::Handshake(std::string& out, std::string& plain) {
    while (!in_.empty()) {
        SecBuffer inBufs[2] = {
            {static_cast<unsigned long>(in_.size()), SECBUFFER_TOKEN, in_.data()},
            {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc inDesc{SECBUFFER_VERSION, 2, inBufs};
        SecBuffer outBuf{0, SECBUFFER_TOKEN, nullptr};
        SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &outBuf};
        DWORD attrs = 0;
        TimeStamp expiry;
        const SECURITY_STATUS s =
            ::InitializeSecurityContextW(&cred_, &ctx_, wideDomain_.data(), kContextFlags, 0, 0,
                                         &inDesc, 0, nullptr, &outDesc, &attrs, &expiry);
        ContextBuffer token{outBuf.pvBuffer};
        if (s == SEC_E_INCOMPLETE_MESSAGE) return Status::Continue;
        if (s != SEC_E_OK && s != SEC_I_CONTINUE_NEEDED) return Fail(NetFailure::TlsFailed);
        if (outBuf.pvBuffer && outBuf.cbBuffer)
            out.append(static_cast<const char*>(outBuf.pvBuffer), outBuf.cbBuffer);
        const std::size_t extra = inBufs[1].BufferType == SECBUFFER_EXTRA
                                      ? std::min<std::size_t>(inBufs[1].cbBuffer, in_.size())
                                      : 0;
        in_.erase(0, in_.size() - extra);
        if (s == SEC_E_OK) {
            if (!Validate()) return Status::Failed;
            if (::QueryContextAttributesW(&ctx_, SECPKG_ATTR_STREAM_SIZES, &sizes_) != SEC_E_OK)
                return Fail(NetFailure::TlsFailed);
            up_ = true;
            if (!in_.empty() && Decrypt(plain) == Status::Failed) return Status::Failed;
            return Status::Up;
        }
    }
    return Status::Continue;
}

bool TlsClient::Validate() {
    SecPkgContext_ConnectionInfo info{};
    if (::QueryContextAttributesW(&ctx_, SECPKG_ATTR_CONNECTION_INFO, &info) != SEC_E_OK) {
        Fail(NetFailure::TlsFailed);
        return false;
    }
    if (info.dwProtocol & ~(SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT)) {
        Fail(NetFailure::OldTls);
        return false;
    }
    PCCERT_CONTEXT cert = nullptr;
    if (::QueryContextAttributesW(&ctx_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &cert) != SEC_E_OK ||
        !cert) {
        Fail(NetFailure::CertInvalid);
        return false;
    }
    // Server use, with the certificates the server sent as the intermediate ones. No
    // revocation check: it would need the network beyond the server, and an unreachable list
    // would refuse every server.
    char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
    LPSTR usages[] = {serverAuth};
    CERT_CHAIN_PARA para{};
    para.cbSize = sizeof para;
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    para.RequestedUsage.Usage.cUsageIdentifier = 1;
    para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    const BOOL built = ::CertGetCertificateChain(nullptr, cert, nullptr, cert->hCertStore, &para, 0,
                                                 nullptr, &chain);
    ::CertFreeCertificateContext(cert);
    if (!built || !chain) {
        Fail(NetFailure::CertInvalid);
        return false;
    }
    // Any fault of the chain is refused, whatever the policy says: Wine's policy passes a
    // chain that ends at an unknown authority and shows it only as a partial chain.
    const DWORD bits = chain->TrustStatus.dwErrorStatus;
    if (bits != CERT_TRUST_NO_ERROR) {
        ::CertFreeCertificateChain(chain);
        Fail(ChainFailure(bits));
        return false;
    }
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = wideDomain_.data();
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    const BOOL checked =
        ::CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status);
    ::CertFreeCertificateChain(chain);
    if (!checked) {
        Fail(NetFailure::CertInvalid);
        return false;
    }
    if (status.dwError != 0) {
        Fail(PolicyFailure(status.dwError));
        return false;
    }
    return true;
}

TlsClient::Status TlsClient::Decrypt(std::string& plain) {
    while (!in_.empty()) {
        SecBuffer bufs[4] = {{static_cast<unsigned long>(in_.size()), SECBUFFER_DATA, in_.data()},
                             {0, SECBUFFER_EMPTY, nullptr},
                             {0, SECBUFFER_EMPTY, nullptr},
                             {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc{SECBUFFER_VERSION, 4, bufs};
        const SECURITY_STATUS s = ::DecryptMessage(&ctx_, &desc, 0, nullptr);
        if (s == SEC_E_INCOMPLETE_MESSAGE) return Status::Continue;
        if (s == SEC_I_CONTEXT_EXPIRED) {
            in_.clear();
            return Status::Closed;
        }
        if (s != SEC_E_OK && s != SEC_I_RENEGOTIATE) return Fail(NetFailure::TlsFailed);
        std::size_t extra = 0;
        for (const SecBuffer& b : bufs) {
            if (b.BufferType == SECBUFFER_DATA && b.pvBuffer && b.cbBuffer)
                plain.append(static_cast<const char*>(b.pvBuffer), b.cbBuffer);
            if (b.BufferType == SECBUFFER_EXTRA)
                extra = std::min<std::size_t>(b.cbBuffer, in_.size());
        }
        in_.erase(0, in_.size() - extra);
        // A renegotiation (or TLS 1.3's messages after the handshake) is not followed: the
        // session needs nothing of it, and a server that insists ends the connection.
        if (s == SEC_I_RENEGOTIATE) return Fail(NetFailure::TlsFailed);
    }
    return Status::Continue;
}

bool TlsClient::Encrypt(std::string_view plain, std::string& out) {
    if (!up_ || failed_) return false;
    const std::size_t max = sizes_.cbMaximumMessage ? sizes_.cbMaximumMessage : 16384;
    std::vector<char> record;
    while (!plain.empty()) {
        const std::size_t n = std::min(plain.size(), max);
        record.assign(sizes_.cbHeader + n + sizes_.cbTrailer, '\0');
        std::copy_n(plain.data(), n, record.data() + sizes_.cbHeader);
        SecBuffer bufs[4] = {
            {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
            {static_cast<unsigned long>(n), SECBUFFER_DATA, record.data() + sizes_.cbHeader},
            {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + sizes_.cbHeader + n},
            {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc{SECBUFFER_VERSION, 4, bufs};
        if (::EncryptMessage(&ctx_, 0, &desc, 0) != SEC_E_OK) return false;
        out.append(record.data(), bufs[0].cbBuffer + bufs[1].cbBuffer + bufs[2].cbBuffer);
        plain.remove_prefix(n);
    }
    return true;
}

} // namespace net
