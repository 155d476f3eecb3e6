#include "tests/support/Standin.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>
#include <stdexcept>

namespace tn::testing {
namespace {

class WinsockSession {
public:
    WinsockSession() {
        WSADATA data;
        if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup failed");
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    ~WinsockSession() { ::WSACleanup(); }
};

class Socket {
public:
    Socket() : s_(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {
        if (s_ == INVALID_SOCKET) throw std::runtime_error("socket failed");
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket() { ::closesocket(s_); }
    [[nodiscard]] SOCKET get() const noexcept { return s_; }

private:
    SOCKET s_;
};

std::vector<std::string> Lines(const std::string& body) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < body.size()) {
        const auto end = body.find('\n', start);
        out.push_back(body.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return out;
}

} // namespace

std::string PercentEncode(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_' || c == '.' || c == '~') {
            out.push_back(ch);
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        }
    }
    return out;
}

Standin::Standin() {
    const char* port = std::getenv("TN_STANDIN_PORT");
    const long value = port ? std::strtol(port, nullptr, 10) : 0;
    if (value <= 0 || value > 65535) throw std::runtime_error("TN_STANDIN_PORT is not set");
    port_ = static_cast<std::uint16_t>(value);
}

std::wstring Standin::Url(std::wstring_view path) const {
    return L"http://127.0.0.1:" + std::to_wstring(port_) + std::wstring(path);
}

std::string Standin::Control(const std::string& target) const {
    WinsockSession winsock;
    Socket s;
    const DWORD timeoutMs = 15000; // a stuck stand-in fails the test instead of hanging it
    ::setsockopt(s.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs),
                 sizeof(timeoutMs));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = ::htons(port_);
    addr.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    if (::connect(s.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) != 0)
        throw std::runtime_error("stand-in not reachable on port " + std::to_string(port_));

    const std::string request =
        "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    for (std::size_t sent = 0; sent < request.size();) {
        const int n =
            ::send(s.get(), request.data() + sent, static_cast<int>(request.size() - sent), 0);
        if (n <= 0) throw std::runtime_error("sending to the stand-in failed");
        sent += static_cast<std::size_t>(n);
    }
    std::string reply;
    char buf[4096];
    for (;;) {
        const int n = ::recv(s.get(), buf, sizeof(buf), 0);
        if (n < 0) throw std::runtime_error("reading from the stand-in failed");
        if (n == 0) break;
        reply.append(buf, static_cast<std::size_t>(n));
    }
    const auto headerEnd = reply.find("\r\n\r\n");
    if (headerEnd == std::string::npos || reply.compare(0, 5, "HTTP/") != 0)
        throw std::runtime_error("stand-in reply malformed");
    const auto space = reply.find(' ');
    if (reply.compare(space + 1, 3, "200") != 0)
        throw std::runtime_error("stand-in refused " + target + ": " + reply.substr(headerEnd + 4));
    return reply.substr(headerEnd + 4);
}

void Standin::Reset() const {
    (void)Control("/_standin/reset");
}

void Standin::Set(std::string_view path, const StandinReply& r) const {
    std::string q = "/_standin/set?path=" + PercentEncode(path);
    if (r.status) q += "&status=" + std::to_string(*r.status);
    if (r.body) q += "&body=" + PercentEncode(*r.body);
    if (!r.contentType.empty()) q += "&type=" + PercentEncode(r.contentType);
    if (r.delayMs) q += "&delay=" + std::to_string(r.delayMs);
    if (r.never) q += "&never=1";
    if (r.holdBody) q += "&hold_body=1";
    if (!r.redirect.empty()) q += "&redirect=" + PercentEncode(r.redirect);
    if (r.size) q += "&size=" + std::to_string(*r.size);
    if (r.cut) q += "&cut=" + std::to_string(*r.cut);
    if (r.noLength) q += "&nolength=1";
    (void)Control(q);
}

void Standin::Clear(std::string_view path) const {
    (void)Control("/_standin/clear?path=" + PercentEncode(path));
}

std::vector<std::string> Standin::Requests() const {
    return Lines(Control("/_standin/requests"));
}

std::vector<std::string> Standin::Queries(std::string_view path) const {
    return Lines(Control("/_standin/requests?path=" + PercentEncode(path)));
}

} // namespace tn::testing
