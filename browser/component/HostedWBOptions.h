// The option objects of the browser component: print options with their margins, proxy
// settings, error suppression, dialog handling and visual effects. They hold data; the component
// acts on them (load time, activated dialogs, destruction).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tn {

struct TProxyCalls;

enum TMeasure : unsigned { mMetric, mUS, mUnknown };
enum TPrintOrientationOption : unsigned { poPortrait, poLandScape };

// Page margins in the unit of TPrintOptions::Measure (millimetres for mMetric, else inches).
struct TMargins {
    double Left = 0;
    double Right = 0;
    double Top = 0;
    double Bottom = 0;
};

class TPrintOptions {
public:
    bool Enabled = false;
    std::vector<std::wstring> HTMLHeader{L"<HTML></HTML>"};
    std::wstring Header;
    std::wstring Footer;
    TMargins Margins;
    TPrintOrientationOption Orientation = poPortrait;
    bool HideSetup = false;
    [[nodiscard]] TMeasure Measure() const noexcept { return FMeasure; }

private:
    friend class THostedWB;
    TMeasure FMeasure = mMetric;
};

class TProxySettings {
public:
    int Port = 80;
    std::wstring Address;
    std::wstring UserName;
    std::wstring Password;
    bool AutoLoadProxy = false;
    std::wstring UserAgent;
    std::wstring Bypass;

    // Each writes the per-connection proxy options, and a write that went through owes the
    // module's shutdown the reset of its scope to what it held before this process's first write
    // (a scope whose settings cannot be read is not written); true when the write and the reload
    // succeeded.
    bool SetProxy(const std::wstring& UserAgent, const std::wstring& Address,
                  const std::wstring& Bypass);
    bool SetProxy(const std::wstring& UserAgent, const std::wstring& Address,
                  const std::wstring& UserName, const std::wstring& Password, int Port);
    bool SetProxyFromPAC(const std::wstring& UserAgent, const std::wstring& PACFile);

    // The WinINet calls the writes go through; a test puts doubles here.
    const TProxyCalls* Calls = nullptr; // null: the system's
};

class TDisableErrors {
public:
    bool EnableDDE = true; // stored only
    bool ScriptErrorsSuppressed = true;
    [[nodiscard]] bool fpExceptions() const noexcept { return FfpExceptions; }
    // True: the floating-point control word saved at the module's start-up; false: 0x133F (every
    // exception masked).
    void SetfpExceptions(bool value) noexcept;

private:
    bool FfpExceptions = true;
};

class TDialogBoxes {
public:
    bool DisableAll = false;
    bool ReplaceCaption = true;
    bool ReplaceIcon = true;
    std::wstring NewCaption;
};

class TVisualEffects {
public:
    bool DisableSounds = false;
    int TextSize = 2;
};

} // namespace tn
