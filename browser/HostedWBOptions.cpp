#include "browser/HostedWBOptions.h"

#include "browser/BrowserModule.h"
#include "browser/tools/ProxyOptions.h"
#include "classlib/Fpu.h"

namespace tn {

namespace {
// Once a write went through, the shutdown puts that scope back, whatever the reload said after
// it (this platform's reload of the user's settings always fails) and even when a later write
// fails: that failure undid nothing. The result stays: both succeeded.
bool NoteProxyWrite(bool ok, bool written, bool processWide) noexcept {
    if (written) {
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
    bool written = false;
    const bool ok = ApplyProxyServer(UserAgent, Address, Bypass, CallsOf(*this), &written);
    return NoteProxyWrite(ok, written, true);
}

bool TProxySettings::SetProxy(const std::wstring& UserAgent, const std::wstring& Address,
                              const std::wstring& UserName, const std::wstring& Password,
                              int Port) {
    bool written = false;
    const bool ok = ApplyProxyServerWithLogin(UserAgent, Address, UserName, Password, Port,
                                              CallsOf(*this), &written);
    return NoteProxyWrite(ok, written, false);
}

bool TProxySettings::SetProxyFromPAC(const std::wstring& UserAgent, const std::wstring& PACFile) {
    bool written = false;
    const bool ok = ApplyProxyAutoConfig(UserAgent, PACFile, CallsOf(*this), &written);
    return NoteProxyWrite(ok, written, false);
}

} // namespace tn
