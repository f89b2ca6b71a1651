#include "Credentials_win32.h"

#include <windows.h>

#include <wincred.h>

#include <vector>

namespace net {

namespace {

std::wstring Widen(std::string_view s) {
    if (s.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(),
                                        static_cast<int>(s.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

// A password longer than this is not one of ours (the Credential Manager's own bound).
constexpr std::size_t kMaxPassword = CRED_MAX_CREDENTIAL_BLOB_SIZE;

} // namespace

std::wstring CredentialTarget(std::string_view address) {
    return L"Glidebanner/XMPP/" + Widen(address);
}

bool StorePassword(std::string_view address, std::string_view password) {
    if (address.empty() || password.size() > kMaxPassword) return false;
    std::wstring target = CredentialTarget(address);
    std::wstring user = Widen(address);
    std::vector<BYTE> blob(password.begin(), password.end());
    CREDENTIALW cred{};
    cred.Type = CRED_TYPE_GENERIC;
    cred.TargetName = target.data();
    cred.CredentialBlobSize = static_cast<DWORD>(blob.size());
    cred.CredentialBlob = blob.data();
    cred.Persist = CRED_PERSIST_LOCAL_MACHINE;
    cred.UserName = user.data();
    const bool ok = ::CredWriteW(&cred, 0) != FALSE;
    ::SecureZeroMemory(blob.data(), blob.size());
    return ok;
}

std::optional<std::string> ReadPassword(std::string_view address) {
    const std::wstring target = CredentialTarget(address);
    PCREDENTIALW cred = nullptr;
    if (!::CredReadW(target.c_str(), CRED_TYPE_GENERIC, 0, &cred) || !cred) return std::nullopt;
    std::optional<std::string> out;
    if (cred->CredentialBlobSize <= kMaxPassword && cred->CredentialBlobSize > 0 &&
        cred->CredentialBlob)
        out.emplace(reinterpret_cast<const char*>(cred->CredentialBlob), cred->CredentialBlobSize);
    if (cred->CredentialBlob) ::SecureZeroMemory(cred->CredentialBlob, cred->CredentialBlobSize);
    ::CredFree(cred);
    return out;
}

bool ForgetPassword(std::string_view address) {
    const std::wstring target = CredentialTarget(address);
    return ::CredDeleteW(target.c_str(), CRED_TYPE_GENERIC, 0) ||
           ::GetLastError() == ERROR_NOT_FOUND;
}

} // namespace net
