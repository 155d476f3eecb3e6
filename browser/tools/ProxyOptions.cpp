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

const TProxyCalls kSystem{&::InternetOpenW,        &::InternetConnectW,    &::InternetSetOptionW,
                          &::InternetQueryOptionW, &::InternetCloseHandle, &ShowMessageBox};

// One option: its number and its value, a flag word or a text (none: not set) that outlives the
// write.
struct Option {
    DWORD number;
    DWORD flags;
    const wchar_t* text;
};

Option FlagsOption(DWORD flags) noexcept {
    return {INTERNET_PER_CONN_FLAGS, flags, nullptr};
}
Option TextOption(DWORD number, const std::wstring& text) noexcept {
    return {number, 0, text.c_str()};
}
Option TextOption(DWORD number, const std::optional<std::wstring>& text) noexcept {
    return {number, 0, text ? text->c_str() : nullptr};
}

INTERNET_PER_CONN_OPTION_LISTW OptionList(std::vector<INTERNET_PER_CONN_OPTIONW>& options) {
#ifndef _WIN64
    static_assert(sizeof(INTERNET_PER_CONN_OPTION_LISTW) == 20 &&
                  sizeof(INTERNET_PER_CONN_OPTIONW) == 12);
#endif
    INTERNET_PER_CONN_OPTION_LISTW all{};
    all.dwSize = sizeof all;
    all.pszConnection = nullptr; // the LAN connection
    all.dwOptionCount = static_cast<DWORD>(options.size());
    all.dwOptionError = 0;
    all.pOptions = options.data();
    return all;
}

// A text the library handed out, taken over and given back to it.
std::optional<std::wstring> TakeText(wchar_t* text) {
    if (!text) return std::nullopt;
    std::wstring taken(text);
    ::GlobalFree(text);
    return taken;
}

// The connection type as the user chose it, where the system keeps it apart from the type in
// force (an automatic detection that found nothing is in force as a direct connection). A system
// without it refuses the question. Asked alone: a refused list may still have handed out texts.
std::optional<DWORD> ReadChosenFlags(HINTERNET target, const TProxyCalls& calls) {
    std::vector<INTERNET_PER_CONN_OPTIONW> options(1);
    options[0].dwOption = INTERNET_PER_CONN_FLAGS_UI;
    INTERNET_PER_CONN_OPTION_LISTW all = OptionList(options);
    DWORD length = sizeof all;
    if (!calls.queryOption(target, INTERNET_OPTION_PER_CONNECTION_OPTION, &all, &length))
        return std::nullopt;
    return options[0].Value.dwValue;
}

// The options a write may change, as the handle (none: the user's settings) sees them; the
// connection type as the user chose it wherever the system tells.
bool ReadSettings(HINTERNET target, const TProxyCalls& calls, TProxyConnectionSettings& settings) {
    const std::optional<DWORD> chosen = ReadChosenFlags(target, calls);
    std::vector<INTERNET_PER_CONN_OPTIONW> options(4);
    options[0].dwOption = INTERNET_PER_CONN_FLAGS;
    options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    options[3].dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
    INTERNET_PER_CONN_OPTION_LISTW all = OptionList(options);
    DWORD length = sizeof all;
    if (!calls.queryOption(target, INTERNET_OPTION_PER_CONNECTION_OPTION, &all, &length))
        return false;
    // Every text is taken, even when one of them cannot be kept.
    std::array<std::optional<std::wstring>, 3> texts;
    bool kept = true;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        try {
            texts[i] = TakeText(options[i + 1].Value.pszValue);
        } catch (...) {
            ::GlobalFree(options[i + 1].Value.pszValue);
            kept = false;
        }
    }
    if (!kept) return false;
    settings.Flags = chosen.value_or(options[0].Value.dwValue);
    settings.Server = std::move(texts[0]);
    settings.Bypass = std::move(texts[1]);
    settings.AutoConfigUrl = std::move(texts[2]);
    return true;
}

// Steps common to every routine: a session opened, the options written on the given handle
// (the session's, or none for the user's own settings), the library told to reload; the
// session closed in every case. beforeWrite may refuse (false) after the session exists.
// written, when given, tells whether the write went through; before, when given, receives what
// the options held, read first: a read that fails writes nothing.
template <typename BeforeWrite>
bool WriteOptions(const std::wstring& agent, const std::vector<Option>& options, bool onSession,
                  const TProxyCalls& calls, BeforeWrite&& beforeWrite, bool ignoreResults,
                  bool* written = nullptr, TProxyConnectionSettings* before = nullptr) {
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

    const HINTERNET target = onSession ? session : nullptr;
    // Without what was there, the user's own settings could not be put back: nothing is written.
    if (before && !ReadSettings(target, calls, *before)) return false;
    std::vector<INTERNET_PER_CONN_OPTIONW> list(options.size());
    for (std::size_t i = 0; i < options.size(); ++i) {
        list[i].dwOption = options[i].number;
        if (options[i].number == INTERNET_PER_CONN_FLAGS)
            list[i].Value.dwValue = options[i].flags;
        else
            list[i].Value.pszValue = const_cast<wchar_t*>(options[i].text);
    }
    INTERNET_PER_CONN_OPTION_LISTW all = OptionList(list);
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
                      const std::wstring& Bypass, const TProxyCalls& calls, bool* written,
                      TProxyConnectionSettings* before) {
    calls.showMessage(Bypass);
    return WriteOptions(UserAgent,
                        {FlagsOption(kProxyTypeProxy),
                         TextOption(INTERNET_PER_CONN_PROXY_SERVER, Address),
                         TextOption(INTERNET_PER_CONN_PROXY_BYPASS, Bypass)},
                        false, calls, NothingBefore, false, written, before);
}

bool ApplyProxyServerWithLogin(const std::wstring& UserAgent, const std::wstring& Address,
                               const std::wstring& UserName, const std::wstring& Password, int Port,
                               const TProxyCalls& calls, bool* written,
                               TProxyConnectionSettings* before) {
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
                        {FlagsOption(kProxyTypeDirectOrProxy),
                         TextOption(INTERNET_PER_CONN_PROXY_SERVER, server),
                         TextOption(INTERNET_PER_CONN_PROXY_BYPASS, local)},
                        true, calls, connect, false, written, before);
}

bool ApplyProxyAutoConfig(const std::wstring& UserAgent, const std::wstring& PACFile,
                          const TProxyCalls& calls, bool* written,
                          TProxyConnectionSettings* before) {
    return WriteOptions(UserAgent,
                        {TextOption(INTERNET_PER_CONN_AUTOCONFIG_URL, PACFile),
                         FlagsOption(kProxyTypeAutoProxyUrl)},
                        true, calls, NothingBefore, false, written, before);
}

bool ResetProxyServer(const TProxyConnectionSettings& before, bool processWide,
                      const TProxyCalls& calls) {
    // The type goes back as the connection type, however it was read: every system takes that.
    return WriteOptions(L"",
                        {FlagsOption(before.Flags),
                         TextOption(INTERNET_PER_CONN_PROXY_SERVER, before.Server),
                         TextOption(INTERNET_PER_CONN_PROXY_BYPASS, before.Bypass),
                         TextOption(INTERNET_PER_CONN_AUTOCONFIG_URL, before.AutoConfigUrl)},
                        !processWide, calls, NothingBefore, true);
}

} // namespace tn
