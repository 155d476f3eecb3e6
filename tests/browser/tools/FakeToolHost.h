// The tools' host without a control: it hands out the doubles a test gives it and records its
// waits, navigations and saves. Its wait may end its life, as a wait that freed the component
// would: what is asked of it after that is counted.
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
    bool waitEndsLife = false; // the wait frees the host
    std::vector<std::pair<std::wstring, DWORD>> gone;
    bool goResult = true;
    std::vector<std::wstring> saved;
    HRESULT saveResult = S_OK;
    // Calls that reached the host after its life ended.
    mutable int touchedAfterEnd = 0;

    [[nodiscard]] ComPtr<IDispatch> Document() const override {
        Touch();
        return ComPtr(document);
    }
    [[nodiscard]] ComPtr<IDispatch> Application() const override {
        Touch();
        return ComPtr(application);
    }
    [[nodiscard]] IWebBrowser2* Browser() const override {
        Touch();
        return browser;
    }
    [[nodiscard]] std::wstring LocationURL() const override {
        Touch();
        return locationURL;
    }
    [[nodiscard]] std::wstring LocationName() const override {
        Touch();
        return locationName;
    }
    [[nodiscard]] HWND HostWindow() const override {
        Touch();
        return window;
    }
    [[nodiscard]] int HostWidth() const override {
        Touch();
        return width;
    }
    [[nodiscard]] int HostHeight() const override {
        Touch();
        return height;
    }
    bool Wait(DWORD TimeOut) override {
        Touch();
        waits.push_back(TimeOut);
        if (waitEndsLife) {
            liveness.End();
            return false;
        }
        return waitResult;
    }
    [[nodiscard]] TLifeToken Life() const noexcept override { return liveness.Token(); }
    bool Go(const std::wstring& Url, DWORD TimeOut) override {
        Touch();
        gone.emplace_back(Url, TimeOut);
        return goResult;
    }
    HRESULT SaveToFile(const std::wstring& FileName) override {
        Touch();
        saved.push_back(FileName);
        return saveResult;
    }

private:
    void Touch() const noexcept {
        if (!liveness.Token().Alive()) ++touchedAfterEnd;
    }
    TLiveness liveness;
};

} // namespace tn::test
