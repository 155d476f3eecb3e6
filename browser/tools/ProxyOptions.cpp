#include "browser/tools/ProxyOptions.h"

#include "classlib/Dialogs.h"

#include <array>
#include <string>
#include <vector>

namespace tn {

namespace {

constexpr DWORD kProxyTypeProxy = 2;
constexpr DWORD kProxyTypeDirectOrProxy = 3;
constexpr DWORD kProxyTypeAutoProxyUrl = 4;

void ShowMessageBox(const std::wstring& text) {
    ShowMessage(text);
}

const TProxyCalls kSystem{&::InternetOpenW, &::InternetConnectW, &::InternetSetOptionW,
                          &::InternetCloseHandle, &ShowMessageBox};

// One option: its number and its value, a flag word or a text that must outlive the write.
struct Option {
    DWORD number;
    DWORD flags;
    const std::wstring* text;
};

// Steps common to every routine: a session opened, the options written on the given handle
// (the session's, or none for the user's own settings), the library told to reload; the
// session closed in every case. beforeWrite may refuse (false) after the session exists.
// written, when given, tells whether the write went through.
template <typename BeforeWrite>
bool WriteOptions(const std::wstring& agent, const std::vector<Option>& options, bool onSession,
                  const TProxyCalls& calls, BeforeWrite&& beforeWrite, bool ignoreResults,
                  bool* written = nullptr) {
    if (written) *written = false;
    const HINTERNET session =
        calls.open(agent.c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (!session) return false;
    struct Closer {
        const TProxyCalls& calls;
        HINTERNET h;
        ~Closer() { calls.close(h); }
    } closer{calls, session};
    if (!beforeWrite(session)) return false;

    std::vector<INTERNET_PER_CONN_OPTIONW> list(options.size());
    for (std::size_t i = 0; i < options.size(); ++i) {
        list[i].dwOption = options[i].number;
        if (options[i].text)
            list[i].Value.pszValue = const_cast<wchar_t*>(options[i].text->c_str());
        else
            list[i].Value.dwValue = options[i].flags;
    }
#ifndef _WIN64
    static_assert(sizeof(INTERNET_PER_CONN_OPTION_LISTW) == 20 &&
                  sizeof(INTERNET_PER_CONN_OPTIONW) == 12);
#endif
    INTERNET_PER_CONN_OPTION_LISTW all{};
    all.dwSize = sizeof all;
    all.pszConnection = nullptr; // the LAN connection
    all.dwOptionCount = static_cast<DWORD>(list.size());
    all.dwOptionError = 0;
    all.pOptions = list.data();
    const HINTERNET target = onSession ? session : nullptr;
    const bool wrote =
        calls.setOption(target, INTERNET_OPTION_PER_CONNECTION_OPTION, &all, sizeof all) != FALSE;
    if (written) *written = wrote;
    const bool reloaded =
        wrote && calls.setOption(target, INTERNET_OPTION_REFRESH, nullptr, 0) != FALSE;
    return ignoreResults || reloaded;
}

bool NothingBefore(HINTERNET) noexcept {
    return true;
}

} // namespace

const TProxyCalls& SystemProxyCalls() noexcept {
    return kSystem;
}

bool ApplyProxyServer(const std::wstring& UserAgent, const std::wstring& Address,
                      const std::wstring& Bypass, const TProxyCalls& calls, bool* written) {
    calls.showMessage(Bypass);
    return WriteOptions(UserAgent,
                        {{INTERNET_PER_CONN_FLAGS, kProxyTypeProxy, nullptr},
                         {INTERNET_PER_CONN_PROXY_SERVER, 0, &Address},
                         {INTERNET_PER_CONN_PROXY_BYPASS, 0, &Bypass}},
                        false, calls, NothingBefore, false, written);
}

bool ApplyProxyServerWithLogin(const std::wstring& UserAgent, const std::wstring& Address,
                               const std::wstring& UserName, const std::wstring& Password, int Port,
                               const TProxyCalls& calls, bool* written) {
    const std::wstring local = L"<local>";
    // The server text without a port means port 80 to the library: a proxy on 8080 keeps it.
    const std::wstring server = Address + L":" + std::to_wstring(Port);
    // The connection handle is closed with the session.
    const auto connect = [&](HINTERNET session) {
        return calls.connect(session, Address.c_str(), static_cast<INTERNET_PORT>(Port),
                             UserName.c_str(), Password.c_str(), INTERNET_SERVICE_HTTP, 0,
                             0) != nullptr;
    };
    return WriteOptions(UserAgent,
                        {{INTERNET_PER_CONN_FLAGS, kProxyTypeDirectOrProxy, nullptr},
                         {INTERNET_PER_CONN_PROXY_SERVER, 0, &server},
                         {INTERNET_PER_CONN_PROXY_BYPASS, 0, &local}},
                        true, calls, connect, false, written);
}

bool ApplyProxyAutoConfig(const std::wstring& UserAgent, const std::wstring& PACFile,
                          const TProxyCalls& calls, bool* written) {
    return WriteOptions(UserAgent,
                        {{INTERNET_PER_CONN_AUTOCONFIG_URL, 0, &PACFile},
                         {INTERNET_PER_CONN_FLAGS, kProxyTypeAutoProxyUrl, nullptr}},
                        true, calls, NothingBefore, false, written);
}

bool ResetProxyServer(bool processWide, const TProxyCalls& calls) {
    const std::wstring none;
    const std::wstring local = L"<local>";
    return WriteOptions(L"",
                        {{INTERNET_PER_CONN_FLAGS, kProxyTypeDirectOrProxy, nullptr},
                         {INTERNET_PER_CONN_PROXY_SERVER, 0, &none},
                         {INTERNET_PER_CONN_PROXY_BYPASS, 0, &local}},
                        !processWide, calls, NothingBefore, true);
}

} // namespace tn
