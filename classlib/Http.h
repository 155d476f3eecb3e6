// HTTP/1.1 GET client over WinINet: text or bytes, a read time-out that holds, no redirects, no
// cache, no cookies, no dialogs. Every failure raises EHttpError.
#pragma once

#include "classlib/MemoryStream.h"

#include <cstddef>
#include <stdexcept>
#include <string>

namespace tn {

class EHttpError : public std::runtime_error {
public:
    enum class Kind {
        BadUrl,   // not an http:// or https:// URL
        Network,  // resolve, connect, send or receive failed, time-outs included: Win32Error()
        Status,   // the server answered with a status other than 2xx (3xx too): StatusCode()
        TooLarge, // the body is longer than the client's maximum
    };
    EHttpError(Kind kind, const std::string& what, unsigned long statusCode,
               unsigned long win32Error)
        : std::runtime_error(what), kind_(kind), statusCode_(statusCode), win32Error_(win32Error) {}
    [[nodiscard]] Kind GetKind() const noexcept { return kind_; }
    [[nodiscard]] unsigned long StatusCode() const noexcept { return statusCode_; }
    [[nodiscard]] unsigned long Win32Error() const noexcept { return win32Error_; }

private:
    Kind kind_;
    unsigned long statusCode_;
    unsigned long win32Error_;
};

// One client serves one thread at a time; each request opens and closes its own connection.
class THttpClient {
public:
    static constexpr std::size_t kDefaultMaxBodySize = 64u << 20;

    // Milliseconds allowed for connecting, sending and each wait for data; 0 sets none of the
    // client's own, so the system's defaults hold.
    [[nodiscard]] unsigned long ReadTimeout() const noexcept { return readTimeout_; }
    void SetReadTimeout(unsigned long ms) noexcept { readTimeout_ = ms; }
    [[nodiscard]] std::size_t MaxBodySize() const noexcept { return maxBodySize_; }
    void SetMaxBodySize(std::size_t bytes) noexcept { maxBodySize_ = bytes; }

    // The body as text: UTF-8 when it is valid UTF-8 (a leading byte-order mark dropped), else
    // the ANSI code page.
    [[nodiscard]] std::wstring Get(const std::wstring& url);
    // The body written into the stream at its position; on failure the stream is unchanged.
    void Get(const std::wstring& url, TMemoryStream& into);

private:
    unsigned long readTimeout_ = 0;
    std::size_t maxBodySize_ = kDefaultMaxBodySize;
};

} // namespace tn
