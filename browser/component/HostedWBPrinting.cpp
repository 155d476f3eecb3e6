#include "browser/component/HostedWB.h"

#include "browser/component/BrowserModule.h"
#include "browser/tools/BrowserCommands.h"
#include "browser/tools/Content.h"
#include "browser/tools/Printing.h"
#include "classlib/Forms.h"

namespace tn {

namespace {

// These operations show failure only in their results. What the routines behind them raise (a
// failing command or late-bound read, a file that cannot be written) ends here: false when it
// raised, for the caller to give its neutral result.
template <typename Body> bool Quietly(Body&& body) noexcept {
    try {
        body();
        return true;
    } catch (...) {
        return false;
    }
}

template <typename Result, typename Body> Result Quietly(Result neutral, Body&& body) noexcept {
    Result result = neutral;
    return Quietly([&] { result = body(); }) ? result : neutral;
}

// The same for a body that shows a dialog: the dialog runs the program's messages, and one of them
// may free the component, which then gives the neutral answer as well.
template <typename Result, typename Body>
Result QuietDialog(TBrowserToolHost& host, Result neutral, Body&& body) noexcept {
    return Quietly(neutral, [&] { return host.AnswerIfLives(neutral, body); });
}

} // namespace

// --- printing -----------------------------------------------------------------------------------

void THostedWB::Print() noexcept {
    (void)Quietly([this] {
        if (!LivesAfterWait()) return;
        const TPrintOptions& o = FPrintOptions;
        PrintDocument(Browser(), o.HideSetup, !o.Enabled, o.Header, o.Footer);
    });
}

void THostedWB::PrintWithOptions() noexcept {
    (void)Quietly([this] {
        if (!LivesAfterWait()) return;
        const ComPtr<IDispatch> doc = Document();
        PrintWithPageSetup(*this, doc.get(), true, FPrintOptions.Enabled, FPrintOptions.HideSetup,
                           BrowserModuleFlags().FillNextPrintDialog);
    });
}

bool THostedWB::PageSetup(bool UsePrintOptions) noexcept {
    return Quietly(false, [&] {
        if (!LivesAfterWait()) return false;
        const ComPtr<IDispatch> doc = Document();
        return AnswerIfLives(false, [&] {
            return ShowPageSetup(doc.get(), UsePrintOptions, FPrintOptions.Enabled,
                                 BrowserModuleFlags().FillNextPrintDialog);
        });
    });
}

void THostedWB::PrintSetup() noexcept {
    (void)Quietly([this] {
        if (!LivesAfterWait()) return;
        ShowPrintSetup(Browser(), FPrintOptions.HideSetup);
    });
}

void THostedWB::PrintPreview() noexcept {
    (void)Quietly([this] { ShowPrintPreview(Browser()); });
}

void THostedWB::PrintPreviewExtended(int nCmdShow) noexcept {
    (void)Quietly([&] { ShowPrintPreviewWindow(*this, nCmdShow, FPrintOptions.HideSetup); });
}

void THostedWB::PrintPreviewFromTemplate(const std::wstring& TemplateFileName) noexcept {
    (void)Quietly([&] { PrintPreviewWithTemplate(TemplateFileName, Document().get()); });
}

// --- dialogs ------------------------------------------------------------------------------------

bool THostedWB::OpenDialog() noexcept {
    return Quietly(false, [this] { return OpenPageDialog(*this, this); });
}

std::wstring THostedWB::SaveDialogEx(const std::wstring& AFilter,
                                     const std::wstring& ATitle) noexcept {
    return Quietly(std::wstring(), [&] {
        std::wstring chosen;
        SavePageDialog(*this, this, ATitle, AFilter, chosen);
        return chosen;
    });
}

bool THostedWB::SaveDialog() noexcept {
    return QuietDialog(*this, false, [this] { return ShowSaveAsCommand(Document().get()); });
}

bool THostedWB::ShowInternetOptions() noexcept {
    return QuietDialog(*this, false,
                       [this] { return ShowInternetOptionsCommand(Document().get()); });
}

bool THostedWB::ShowPageProperties() noexcept {
    return QuietDialog(*this, false,
                       [this] { return ShowPagePropertiesCommand(Document().get()); });
}

bool THostedWB::ShowFindDialog() noexcept {
    return QuietDialog(*this, false, [this] { return ShowFindCommand(Document().get()); });
}

bool THostedWB::ViewPageSourceHtml() noexcept {
    return QuietDialog(*this, false, [this] { return ShowSourceCommand(Document().get()); });
}

void THostedWB::SaveImagesDialog() noexcept {
    (void)Quietly([this] {
        const TForm* form = GetParentForm(this);
        SaveDocumentImages(*this, form ? form->HandleIfAllocated() : nullptr, Application().get(),
                           Document().get());
    });
}

void THostedWB::SavePageTextDialog() noexcept {
    (void)Quietly([this] {
        if (!LivesAfterWait()) return;
        SaveDocumentTextDialog(*this, Application().get(), Document().get());
    });
}

// --- source view --------------------------------------------------------------------------------

void THostedWB::ViewPageSourceText() noexcept {
    (void)Quietly([this] { ShowDocumentText(Application().get(), Document().get()); });
}

void THostedWB::ViewPageSourceTextToStrings(std::vector<std::wstring>& TextList) noexcept {
    if (!Quietly([&] {
            if (!LivesAfterWait()) return TextList.clear();
            GetDocumentText(Application().get(), Document().get(), TextList);
        }))
        TextList.clear();
}

void THostedWB::ViewPageSourceHtmlToStrings(std::vector<std::wstring>& HtmlList) noexcept {
    if (!Quietly([&] {
            if (!LivesAfterWait()) return HtmlList.clear();
            GetDocumentHtml(Application().get(), Document().get(), HtmlList);
        }))
        HtmlList.clear();
}

void THostedWB::ViewPageLinksToStrings(std::vector<std::wstring>& LinksList) noexcept {
    // A walk that fails half-way leaves no partial list behind.
    if (!Quietly([&] { GetPageLinks(Application().get(), LinksList); })) LinksList.clear();
}

// --- snapshots ----------------------------------------------------------------------------------

void THostedWB::GetThumbnail(TImage* Image) noexcept {
    (void)Quietly([&] { DrawThumbnail(Application().get(), Image); });
}

bool THostedWB::GetBmpFromBrowser(const std::wstring& FileName) noexcept {
    return Quietly(
        false, [&] { return SaveSnapshotBitmap(Document().get(), Width(), Height(), FileName); });
}

bool THostedWB::GetJpegFromBrowser(const std::wstring& FileName, int SourceHeight, int SourceWidth,
                                   int TargetHeight, int TargetWidth) noexcept {
    return Quietly(false, [&] {
        return SaveSnapshotJpeg(Browser(), FileName, SourceHeight, SourceWidth, TargetHeight,
                                TargetWidth);
    });
}

} // namespace tn
