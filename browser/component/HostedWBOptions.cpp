#include "browser/component/HostedWBOptions.h"

#include "browser/component/BrowserModule.h"
#include "browser/tools/ProxyOptions.h"
#include "classlib/Fpu.h"

#include <utility>

namespace tn {

namespace {
// Once a write went through, the shutdown puts that scope back as it was before this process's
// first write to it, whatever the reload said after it (this platform's reload of the user's
// settings always fails) and even when a later write fails: that failure undid nothing. Only the
// first write reads what was there: a later one would read this program's own settings. The
// result stays: both succeeded.
template <typename Apply> bool WriteInScope(bool processWide, Apply&& apply) {
    TBrowserModuleFlags& flags = BrowserModuleFlags();
    bool& changed = processWide ? flags.ProxyChangedProcessWide : flags.ProxyChangedOnHandle;
    TProxyConnectionSettings read;
    bool written = false;
    const bool ok = apply(&written, changed ? nullptr : &read);
    if (written && !changed) {
        (processWide ? flags.ProxyBeforeProcessWide : flags.ProxyBeforeOnHandle) = std::move(read);
        changed = true;
    }
    return ok;
}
const TProxyCalls& CallsOf(const TProxySettings& settings) noexcept {
    return settings.Calls ? *settings.Calls : SystemProxyCalls();
}
} // namespace

void TDisableErrors::SetfpExceptions(bool value) noexcept {
    Set8087CW(value ? SavedControlWord() : kMaskedControlWord);
    FfpExceptions = value;
}

bool TProxySettings::SetProxy(const std::wstring& UserAgent, const std::wstring& Address,
                              const std::wstring& Bypass) {
    return WriteInScope(true, [&](bool* written, TProxyConnectionSettings* before) {
        return ApplyProxyServer(UserAgent, Address, Bypass, CallsOf(*this), written, before);
    });
}

bool TProxySettings::SetProxy(const std::wstring& UserAgent, const std::wstring& Address,
                              const std::wstring& UserName, const std::wstring& Password,
                              int Port) {
    return WriteInScope(false, [&](bool* written, TProxyConnectionSettings* before) {
        return ApplyProxyServerWithLogin(UserAgent, Address, UserName, Password, Port,
                                         CallsOf(*this), written, before);
    });
}

bool TProxySettings::SetProxyFromPAC(const std::wstring& UserAgent, const std::wstring& PACFile) {
    return WriteInScope(false, [&](bool* written, TProxyConnectionSettings* before) {
        return ApplyProxyAutoConfig(UserAgent, PACFile, CallsOf(*this), written, before);
    });
}

} // namespace tn
