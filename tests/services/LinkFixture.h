// Shell link files for tests: what the installer would have left on the desktop and in menus.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tn::testing {

struct ComReleaser {
    void operator()(IUnknown* p) const noexcept { p->Release(); }
};
template <typename T> using ComOwner = std::unique_ptr<T, ComReleaser>;

// A link file at link that starts target. COM must be running on this thread.
inline void MakeLink(const std::wstring& link, const std::wstring& target) {
    IShellLinkW* raw = nullptr;
    ASSERT_HRESULT_SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                                IID_IShellLinkW, reinterpret_cast<void**>(&raw)));
    const ComOwner<IShellLinkW> shellLink(raw);
    shellLink->SetPath(target.c_str());
    IPersistFile* rawFile = nullptr;
    ASSERT_HRESULT_SUCCEEDED(
        shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile)));
    const ComOwner<IPersistFile> file(rawFile);
    EXPECT_HRESULT_SUCCEEDED(file->Save(link.c_str(), TRUE));
}

} // namespace tn::testing
