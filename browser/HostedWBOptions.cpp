#include "browser/HostedWBOptions.h"

#include "browser/BrowserModule.h"
#include "browser/ProxyOptions.h"
#include "classlib/Fpu.h"

namespace tn {

namespace {
bool NoteProxyWrite(bool ok, bool processWide) noexcept {
    // Once a write went through, the shutdown puts the connection back, even when a later
    // write fails: that failure undid nothing.
    if (ok) {
        TBrowserModuleFlags& flags = BrowserModuleFlags();
        (processWide ? flags.ProxyChangedProcessWide : flags.ProxyChangedOnHandle) = true;
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
    return NoteProxyWrite(ApplyProxyServer(UserAgent, Address, Bypass, CallsOf(*this)), true);
}

bool TProxySettings::SetProxy(const std::wstring& UserAgent, const std::wstring& Address,
                              const std::wstring& UserName, const std::wstring& Password,
                              int Port) {
    return NoteProxyWrite(
        ApplyProxyServerWithLogin(UserAgent, Address, UserName, Password, Port, CallsOf(*this)),
        false);
}

bool TProxySettings::SetProxyFromPAC(const std::wstring& UserAgent, const std::wstring& PACFile) {
    return NoteProxyWrite(ApplyProxyAutoConfig(UserAgent, PACFile, CallsOf(*this)), false);
}

} // namespace tn
