#include "services/Shell.h"

#include "Deploy.h"
#include "classlib/FileUtil.h"
#include "classlib/Handles.h"
#include "classlib/Http.h"
#include "classlib/MemoryStream.h"
#include "services/PublicUnit.h"

#include <windows.h>

#include <string>

namespace tn {

namespace {

bool DownloadAndStart(const wchar_t* sourcePath, const wchar_t* fileName) noexcept {
    try {
        THttpClient client;
        client.SetReadTimeout(10000);
        TMemoryStream stream;
        client.Get(std::wstring(deploy::kDownloadServer) + sourcePath, stream);
        const std::wstring folder = GetDownloadDir();
        ForceDirectories(folder);
        const std::wstring file = IncludeTrailingBackslash(folder) + fileName;
        stream.SaveToFile(file);

        // Quoted, so that a folder with blanks cannot make the system start another program.
        std::wstring commandLine = L"\"" + file + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                             CREATE_NEW_PROCESS_GROUP | NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                             &startup, &process)) {
            const UniqueHandleKernel thread(process.hThread), started(process.hProcess);
        }
        return true;
    } catch (...) {
        // Network, status and file failures all mean: not downloaded.
        return false;
    }
}

} // namespace

bool DownloadIconTips() noexcept {
    return DownloadAndStart(L"/Varkel/pfr/pfrIconTips/pfrIconTipsSetup.exe",
                            L"IconTips_Update.exe");
}

bool DownloadAnimateIcon() noexcept {
    return DownloadAndStart(L"/Varkel/bn/animateicon/VarkelAnimateIcon.exe",
                            L"IconAnimate_Update.exe");
}

} // namespace tn
