#include "windows/Layouts.h"

namespace tn {

void ApplyLayoutBrowserSettings(THostedWB& browser, TUserInterfaceOptions options) {
    browser.DisableCtrlShortcuts = L"N";
    browser.SetUserInterfaceOptions(options);
    browser.DisabledPopupMenus = {rcmAll};
    TPrintOptions& print = browser.PrintOptions();
    print.Header = L"w&b页码，&p/&P(&W)";
    print.Footer = L"&u&b&d";
    print.Orientation = poPortrait;
    print.HTMLHeader = {L"<HTML></HTML>"};
}

TPicture ResourcePicture(const std::wstring& name) {
    TPicture picture;
    picture.LoadFromResource(name.c_str());
    return picture;
}

} // namespace tn
