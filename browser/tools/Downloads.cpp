#include "browser/tools/Downloads.h"

namespace tn {

const DownloadCalls& SystemDownloadCalls() noexcept {
    static constexpr DownloadCalls calls{&::URLDownloadToFileW};
    return calls;
}

bool DownloadUrlToFile(const std::wstring& SourceUrl, const std::wstring& TargetFile,
                       const DownloadCalls& calls) noexcept {
    try {
        return calls.urlDownloadToFile(nullptr, SourceUrl.c_str(), TargetFile.c_str(), 0,
                                       nullptr) == S_OK;
    } catch (...) {
        // A download that ends in an exception is a failed download.
        return false;
    }
}

} // namespace tn
