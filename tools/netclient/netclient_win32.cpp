// A client over the messenger's network layer: signs in and prints what the session reports,
// one line each (the network level reads them).
//
//   netclient trust CA.der                   trust a test authority (this user's Root store)
//   netclient store ADDRESS                  the password, read from standard input, into
//                                            the Credential Manager
//   netclient signin ADDRESS HOST PORT [tls] sign in with the stored password (with "tls", TLS
//                                            from the first byte); standard input
//                                            then takes "send JID TEXT" and "quit" lines
//
// Lines printed: "signed-in JID", "contact JID NICKNAME online|offline", "text JID BODY",
// "error JID TEXT", "ended WORDS".
#include <windows.h>

#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/Connection_win32.h"
#include "net/Credentials_win32.h"
#include "xmpp/Crypto_win32.h"

namespace {

constexpr UINT kLineMessage = WM_APP + 10;
constexpr std::size_t kMaxLine = 8192;

void Print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// One line of standard input, at most kMaxLine bytes, without its line end.
bool ReadLine(std::string& line) {
    line.clear();
    HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
    char c;
    DWORD n = 0;
    while (::ReadFile(in, &c, 1, &n, nullptr) && n == 1) {
        if (c == '\n') return true;
        if (c != '\r' && line.size() < kMaxLine) line += c;
    }
    return !line.empty();
}

int Trust(const char* path) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> der((std::istreambuf_iterator<char>(file)),
                                std::istreambuf_iterator<char>());
    HCERTSTORE root = ::CertOpenSystemStoreW(0, L"ROOT");
    if (!root) return 1;
    const BOOL ok = ::CertAddEncodedCertificateToStore(
        root, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
        static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    ::CertCloseStore(root, 0);
    return ok ? 0 : 1;
}

class Printer : public net::IConnectionEvents {
  public:
    void OnSessionEvent(const xmpp::SessionEvent& e) override {
        using Kind = xmpp::SessionEvent::Kind;
        switch (e.kind) {
        case Kind::SignedIn:
            Print("signed-in " + e.jid);
            break;
        case Kind::ContactChanged:
            Print("contact " + e.jid + " " + e.nickname + (e.online ? " online" : " offline"));
            break;
        case Kind::TextReceived:
            Print("text " + e.jid + " " + e.text);
            break;
        case Kind::StanzaError:
            Print("error " + e.jid + " " + e.text);
            break;
        default:
            break;
        }
    }
    void OnEnded(const std::string& words, xmpp::ReconnectPolicy::Failure) override {
        Print("ended " + words);
        ::PostQuitMessage(0);
    }
};

DWORD WINAPI ReadCommands(void* thread) {
    const DWORD main = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(thread));
    std::string line;
    while (ReadLine(line))
        ::PostThreadMessageW(main, kLineMessage, 0,
                             reinterpret_cast<LPARAM>(new std::string(line)));
    ::PostThreadMessageW(main, kLineMessage, 0, reinterpret_cast<LPARAM>(new std::string("quit")));
    return 0;
}

int SignIn(const std::string& address, const std::string& host, const std::string& port,
           bool directTls) {
    std::optional<std::string> password = net::ReadPassword(address);
    if (!password) {
        Print("ended No password is stored for " + address + ".");
        return 1;
    }
    xmpp::BcryptCrypto crypto;
    Printer printer;
    net::Connection connection(crypto, printer);
    net::ConnectionConfig config;
    config.address = address;
    config.password = std::move(*password);
    config.resource = "net-client";
    config.host = host;
    config.port = static_cast<std::uint16_t>(std::stoi(port));
    config.directTls = directTls;
    connection.Start(config);
    ::SecureZeroMemory(config.password.data(), config.password.size());

    ::CreateThread(nullptr, 0, ReadCommands,
                   reinterpret_cast<void*>(static_cast<UINT_PTR>(::GetCurrentThreadId())), 0,
                   nullptr);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == kLineMessage && !msg.hwnd) {
            const std::unique_ptr<std::string> line(reinterpret_cast<std::string*>(msg.lParam));
            if (*line == "quit") {
                connection.Close();
                break;
            }
            if (line->rfind("send ", 0) == 0) {
                const std::size_t space = line->find(' ', 5);
                if (space != std::string::npos &&
                    !connection.SendText(line->substr(5, space - 5), line->substr(space + 1)))
                    Print("not-sent");
            }
            continue;
        }
        ::DispatchMessageW(&msg);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "trust" && argc == 3) return Trust(argv[2]);
    if (mode == "store" && argc == 3) {
        std::string password;
        ReadLine(password);
        const bool ok = net::StorePassword(argv[2], password);
        ::SecureZeroMemory(password.data(), password.size());
        return ok ? 0 : 1;
    }
    if (mode == "signin" && (argc == 5 || (argc == 6 && std::string(argv[5]) == "tls")))
        return SignIn(argv[2], argv[3], argv[4], argc == 6);
    std::fputs("usage: netclient trust CA.der | store ADDRESS | signin ADDRESS HOST PORT [tls]\n",
               stderr);
    return 2;
}
