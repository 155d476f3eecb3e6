// The tools' host without a control: it hands out the doubles a test gives it and records its
// waits, navigations and saves.
#pragma once

#include "browser/tools/ToolHost.h"

#include <string>
#include <utility>
#include <vector>

namespace tn::test {

class FakeToolHost : public TBrowserToolHost {
public:
    // Borrowed; each handed out with a reference of the caller's own.
    IDispatch* document = nullptr;
    IDispatch* application = nullptr;
    IWebBrowser2* browser = nullptr;
    std::wstring locationURL, locationName;
    HWND window = nullptr;
    int width = 0, height = 0;

    std::vector<DWORD> waits;
    bool waitResult = true;
    std::vector<std::pair<std::wstring, DWORD>> gone;
    bool goResult = true;
    std::vector<std::wstring> saved;
    HRESULT saveResult = S_OK;

    [[nodiscard]] ComPtr<IDispatch> Document() const override { return ComPtr(document); }
    [[nodiscard]] ComPtr<IDispatch> Application() const override { return ComPtr(application); }
    [[nodiscard]] IWebBrowser2* Browser() const override { return browser; }
    [[nodiscard]] std::wstring LocationURL() const override { return locationURL; }
    [[nodiscard]] std::wstring LocationName() const override { return locationName; }
    [[nodiscard]] HWND HostWindow() const override { return window; }
    [[nodiscard]] int HostWidth() const override { return width; }
    [[nodiscard]] int HostHeight() const override { return height; }
    bool Wait(DWORD TimeOut) override {
        waits.push_back(TimeOut);
        return waitResult;
    }
    bool Go(const std::wstring& Url, DWORD TimeOut) override {
        gone.emplace_back(Url, TimeOut);
        return goResult;
    }
    HRESULT SaveToFile(const std::wstring& FileName) override {
        saved.push_back(FileName);
        return saveResult;
    }
};

} // namespace tn::test
