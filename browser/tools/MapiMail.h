// One e-mail message sent through Simple MAPI on a worker thread of its own, so that the mail
// client's dialogs never block the caller.
#pragma once

#include "classlib/Component.h"
#include "classlib/Thread.h"

#include <windows.h>
#include <mapi.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace tn {

// The five Simple MAPI entries the send uses. A null entry is one the library lacks: its every
// call gives 1.
struct TMapiCalls {
    LPMAPILOGON logon;
    LPMAPIRESOLVENAME resolveName;
    LPMAPIFREEBUFFER freeBuffer;
    LPMAPISENDMAIL sendMail;
    LPMAPILOGOFF logoff;
};
// The entries of the library given, looked up by name; the library stays loaded for the process's
// life. All null when it cannot be loaded.
[[nodiscard]] TMapiCalls BindMapiCalls(const wchar_t* library) noexcept;
// The system's MAPI32 entries, bound at first use.
[[nodiscard]] const TMapiCalls& SystemMapiCalls() noexcept;
// The entries every send uses (the system's until a test puts doubles in their place; it must
// put them back).
[[nodiscard]] TMapiCalls& MapiCalls() noexcept;

// The text of a Simple MAPI result code; "Unknown Error Code: " and the code for any other.
[[nodiscard]] std::wstring MapiErrorText(ULONG code);

// A logon to the default profile that failed.
class EMapiError : public std::runtime_error {
public:
    explicit EMapiError(ULONG code);
    [[nodiscard]] ULONG Code() const noexcept { return FCode; }

private:
    ULONG FCode;
};

// Send hands the object to a thread that sends it, posts 1280 to the former owner's window when
// the send answers 2, deletes every attachment file whatever the result (the component mails only
// a page it has just saved for the purpose) and frees the object. An attachment path that the
// ANSI code page cannot hold goes by its short name; without one nothing is sent (11) and
// nothing deleted. At Send the object leaves its
// owner, so an owner freed meanwhile frees nothing under the thread.
class THwbMapiMail : public TComponent {
public:
    explicit THwbMapiMail(TComponent* AOwner);

    // Never set by the send: 0.
    [[nodiscard]] int LastError() const noexcept { return FLastError; }

    [[nodiscard]] const std::wstring& Subject() const noexcept { return FSubject; }
    void SetSubject(std::wstring value) { FSubject = std::move(value); }
    [[nodiscard]] const std::wstring& Body() const noexcept { return FBody; }
    void SetBody(std::wstring value) { FBody = std::move(value); }
    [[nodiscard]] const std::wstring& SenderName() const noexcept { return FSenderName; }
    void SetSenderName(std::wstring value) { FSenderName = std::move(value); }
    [[nodiscard]] const std::wstring& SenderAddress() const noexcept { return FSenderAddress; }
    void SetSenderAddress(std::wstring value) { FSenderAddress = std::move(value); }

    // One recipient a line; "CC:" or "BCC:" (any case) before the name makes a copy or a blind
    // copy recipient.
    [[nodiscard]] std::vector<std::wstring>& Recipients() noexcept { return FRecipients; }
    [[nodiscard]] const std::vector<std::wstring>& Recipients() const noexcept {
        return FRecipients;
    }
    void SetRecipients(const std::vector<std::wstring>& lines) { FRecipients = lines; }
    // File paths; the file names shown are the lines of AttachmentNames of the same index, else
    // the paths' file parts.
    [[nodiscard]] std::vector<std::wstring>& Attachments() noexcept { return FAttachments; }
    [[nodiscard]] const std::vector<std::wstring>& Attachments() const noexcept {
        return FAttachments;
    }
    void SetAttachments(const std::vector<std::wstring>& lines) { FAttachments = lines; }
    [[nodiscard]] std::vector<std::wstring>& AttachmentNames() noexcept { return FAttachmentNames; }
    [[nodiscard]] const std::vector<std::wstring>& AttachmentNames() const noexcept {
        return FAttachmentNames;
    }
    void SetAttachmentNames(const std::vector<std::wstring>& lines) { FAttachmentNames = lines; }

    [[nodiscard]] bool EditDialog() const noexcept { return FEditDialog; }
    void SetEditDialog(bool value) noexcept { FEditDialog = value; }
    [[nodiscard]] bool ResolveNames() const noexcept { return FResolveNames; }
    void SetResolveNames(bool value) noexcept { FResolveNames = value; }
    [[nodiscard]] bool RequestReceipt() const noexcept { return FRequestReceipt; }
    void SetRequestReceipt(bool value) noexcept { FRequestReceipt = value; }

    // Starts the thread that sends this object and frees it; true at once. From here on the
    // object is the thread's: the caller neither uses nor frees it. False (the object freed
    // already) only when no thread could be started.
    bool Send();

private:
    int FLastError = 0;
    std::wstring FSubject, FBody, FSenderName, FSenderAddress;
    std::vector<std::wstring> FRecipients, FAttachments, FAttachmentNames;
    bool FEditDialog = true;
    bool FResolveNames = false;
    bool FRequestReceipt = false;
};

// The message as Simple MAPI takes it, sent through calls: the result of the send call, or 11
// (attachment not found) without a call when an attachment's path cannot be given in the ANSI
// code page. A default profile that does not log on raises EMapiError.
ULONG SendMapiMessage(const THwbMapiMail& Mail, const TMapiCalls& Calls);

class TSendMailThread : public TThread {
public:
    TSendMailThread(TComponent::Owned<THwbMapiMail> Mail, HWND OwnerWindow) noexcept
        : HwbMapiMail(std::move(Mail)), FOwnerWindow(OwnerWindow) {}

    TComponent::Owned<THwbMapiMail> HwbMapiMail;
    // The send's result, once Execute has it.
    ULONG ReturnValue = 0;

protected:
    void Execute() override;

private:
    HWND FOwnerWindow;
};

} // namespace tn
