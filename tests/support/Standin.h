// Test-side client of the local stand-in server's control API (tools/standin.py): reset it, set
// how a path answers, read what it was asked. Plain Winsock, independent of the code under test.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tn::testing {

// How one path answers; unset fields keep the built-in reply's parts.
struct StandinReply {
    std::optional<int> status{};       // 302 by default when redirect is set
    std::optional<std::string> body{}; // bytes as they are sent
    std::string contentType{};
    unsigned delayMs = 0;                // wait before the reply
    bool never = false;                  // accept and never answer
    bool holdBody = false;               // send the headers, then nothing
    std::string redirect{};              // Location header
    std::optional<std::uint64_t> size{}; // generated body of this many bytes
    std::optional<std::uint64_t> cut{};  // with size: close after this many bytes
    bool noLength = false;               // no Content-Length, the body ends at close
};

class Standin {
public:
    // Port from TN_STANDIN_PORT; throws std::runtime_error when it is not set.
    Standin();
    [[nodiscard]] std::uint16_t Port() const noexcept { return port_; }
    // L"http://127.0.0.1:<port>" + path.
    [[nodiscard]] std::wstring Url(std::wstring_view path) const;

    void Reset() const;
    void Set(std::string_view path, const StandinReply& reply) const;
    void Clear(std::string_view path) const;
    // Raw request targets (path and query) in arrival order, control requests left out.
    [[nodiscard]] std::vector<std::string> Requests() const;
    // Raw query strings of the requests to one path, in arrival order.
    [[nodiscard]] std::vector<std::string> Queries(std::string_view path) const;
    [[nodiscard]] std::vector<std::string> StatQueries() const {
        return Queries("/controller/istat.controller.php");
    }

    // GET of a control target; returns the body, throws on a transport failure or a non-200.
    [[nodiscard]] std::string Control(const std::string& target) const;

private:
    std::uint16_t port_;
};

// Percent-encodes every byte except unreserved characters.
[[nodiscard]] std::string PercentEncode(std::string_view bytes);

} // namespace tn::testing
