#include "classlib/Http.h"

#include "classlib/Handles.h"
#include "classlib/Text.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tn {
namespace {

struct InternetHandleTraits {
    static HINTERNET invalid() noexcept { return nullptr; }
    static bool valid(HINTERNET h) noexcept { return h != nullptr; }
    static void close(HINTERNET h) noexcept { ::InternetCloseHandle(h); }
};
using UniqueInternet = UniqueHandle<HINTERNET, InternetHandleTraits>;

constexpr wchar_t kUserAgent[] = L"Mozilla/4.0 (compatible; Win32)";

[[noreturn]] void RaiseNetwork(const char* step, DWORD error) {
    throw EHttpError(EHttpError::Kind::Network,
                     std::string("HTTP ") + step + " failed (error " + std::to_string(error) + ")",
                     0, error);
}

[[noreturn]] void RaiseTooLarge(std::size_t max) {
    throw EHttpError(EHttpError::Kind::TooLarge,
                     "HTTP body larger than " + std::to_string(max) + " bytes", 0, 0);
}

struct Target {
    bool secure = false;
    std::wstring host;
    INTERNET_PORT port = 0;
    std::wstring object; // path and query, as given
};

Target ParseUrl(const std::wstring& url) {
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    // Non-zero lengths with null buffers: the parts come back as pointers into url.
    parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength =
        parts.dwExtraInfoLength = 1;
    if (!::InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) ||
        parts.dwHostNameLength == 0)
        throw EHttpError(EHttpError::Kind::BadUrl, "not an HTTP URL: " + text::ToUtf8(url), 0,
                         ::GetLastError());
    Target t;
    t.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    t.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    t.port = parts.nPort;
    if (parts.lpszUrlPath) t.object.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (t.object.empty()) t.object = L"/";
    if (parts.lpszExtraInfo) t.object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    return t;
}

void SetTimeouts(HINTERNET h, DWORD ms) {
    if (ms == 0) return;
    for (const DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                               INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        DWORD value = ms;
        if (!::InternetSetOptionW(h, option, &value, sizeof(value)))
            RaiseNetwork("time-out set-up", ::GetLastError());
    }
    // One attempt, so connecting is bounded by the time-out rather than a multiple of it. Best
    // effort: where the option is refused, the time-outs above still hold each attempt.
    DWORD retries = 1;
    (void)::InternetSetOptionW(h, INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof(retries));
}

DWORD QueryStatus(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                          nullptr))
        RaiseNetwork("status query", ::GetLastError());
    return status;
}

// The declared length, or -1 when there is none (or it is not a number).
long long QueryContentLength(HINTERNET request) {
    wchar_t buf[32];
    DWORD size = sizeof(buf);
    if (!::HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, buf, &size, nullptr)) return -1;
    const std::wstring_view digits(buf, size / sizeof(wchar_t));
    if (digits.empty() || digits.size() > 18) return digits.empty() ? -1 : LLONG_MAX;
    long long n = 0;
    for (const wchar_t c : digits) {
        if (c < L'0' || c > L'9') return -1;
        n = n * 10 + (c - L'0');
    }
    return n;
}

std::vector<std::uint8_t> Fetch(const std::wstring& url, DWORD timeout, std::size_t maxBody) {
    const Target t = ParseUrl(url);

    // Direct: the system proxy settings play no part, as with any plain socket client.
    UniqueInternet session(
        ::InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!session) RaiseNetwork("session", ::GetLastError());
    SetTimeouts(session.get(), timeout);

    UniqueInternet connection(::InternetConnectW(session.get(), t.host.c_str(), t.port, nullptr,
                                                 nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) RaiseNetwork("connect", ::GetLastError());
    SetTimeouts(connection.get(), timeout);

    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                  INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES |
                  INTERNET_FLAG_NO_AUTH;
    if (t.secure) flags |= INTERNET_FLAG_SECURE;
    const wchar_t* accept[] = {L"*/*", nullptr};
    UniqueInternet request(::HttpOpenRequestW(connection.get(), L"GET", t.object.c_str(), nullptr,
                                              nullptr, accept, flags, 0));
    if (!request) RaiseNetwork("request", ::GetLastError());
    // Set on the request itself: the receive time-out is honoured only there.
    SetTimeouts(request.get(), timeout);

    if (!::HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0))
        RaiseNetwork("send", ::GetLastError());

    const DWORD status = QueryStatus(request.get());
    if (status < 200 || status > 299)
        throw EHttpError(EHttpError::Kind::Status, "HTTP status " + std::to_string(status), status,
                         0);

    const long long declared = QueryContentLength(request.get());
    if (declared > 0 && static_cast<unsigned long long>(declared) > maxBody) RaiseTooLarge(maxBody);

    std::vector<std::uint8_t> body;
    if (declared > 0) body.reserve(static_cast<std::size_t>(declared));
    std::vector<std::uint8_t> chunk(64 * 1024);
    for (;;) {
        DWORD read = 0;
        if (!::InternetReadFile(request.get(), chunk.data(), static_cast<DWORD>(chunk.size()),
                                &read))
            RaiseNetwork("receive", ::GetLastError());
        if (read == 0) break;
        if (read > maxBody - body.size()) RaiseTooLarge(maxBody);
        body.insert(body.end(), chunk.begin(), chunk.begin() + read);
    }
    // A connection that ends early would otherwise pass a cut-off body, an installer say, as whole.
    if (declared >= 0 && body.size() != static_cast<unsigned long long>(declared))
        RaiseNetwork("receive (body shorter than declared)", ERROR_INTERNET_CONNECTION_ABORTED);
    return body;
}

std::wstring DecodeText(const std::vector<std::uint8_t>& body) {
    std::string_view bytes(reinterpret_cast<const char*>(body.data()), body.size());
    if (text::IsValidUtf8(bytes)) {
        if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
        return text::FromUtf8(bytes);
    }
    if (bytes.size() > INT_MAX) throw std::length_error("HTTP text too large to decode");
    const int n =
        ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(std::max(n, 0)), L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(),
                              n);
    return out;
}

} // namespace

std::wstring THttpClient::Get(const std::wstring& url) {
    return DecodeText(Fetch(url, readTimeout_, maxBodySize_));
}

void THttpClient::Get(const std::wstring& url, TMemoryStream& into) {
    const auto body = Fetch(url, readTimeout_, maxBodySize_);
    into.Write(body.data(), body.size());
}

} // namespace tn
