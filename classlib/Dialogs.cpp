#include "classlib/Dialogs.h"

#include "classlib/Application.h"
#include "classlib/ComPtr.h"

#include <shlobj.h>

#include <algorithm>
#include <string_view>
#include <vector>

namespace tn {

namespace {

// Owned by the thread's active window so that a dialog stays in front of it; the application
// window when none of this thread's windows is active.
HWND DefaultOwner() noexcept {
    HWND owner = ::GetActiveWindow();
    if (!owner && Application) owner = Application->Handle();
    return owner;
}

// An in-memory dialog template: the header, then items each starting on a 32-bit boundary.
class TDialogTemplate {
public:
    TDialogTemplate(DWORD style, short cx, short cy, std::wstring_view caption) {
        Dword(style | DS_SETFONT);
        Dword(0); // extended style
        Word(0);  // item count, raised by Add
        Word(0);
        Word(0);
        Word(static_cast<WORD>(cx));
        Word(static_cast<WORD>(cy));
        Word(0); // no menu
        Word(0); // the system's dialog class
        Text(caption);
        Word(8);
        Text(L"MS Shell Dlg");
    }

    void Add(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom,
             std::wstring_view text) {
        if (FWords.size() % 2) Word(0);
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Word(static_cast<WORD>(x));
        Word(static_cast<WORD>(y));
        Word(static_cast<WORD>(cx));
        Word(static_cast<WORD>(cy));
        Word(id);
        Word(0xFFFF);
        Word(classAtom);
        Text(text);
        Word(0); // no creation data
        ++FWords[4];
    }

    [[nodiscard]] const DLGTEMPLATE* get() const noexcept {
        return reinterpret_cast<const DLGTEMPLATE*>(FWords.data());
    }

private:
    void Word(WORD w) { FWords.push_back(w); }
    void Dword(DWORD d) {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void Text(std::wstring_view s) {
        FWords.insert(FWords.end(), s.begin(), s.end());
        Word(0);
    }
    std::vector<WORD> FWords;
};

constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kPromptId = 100;
constexpr WORD kValueId = 101;

INT_PTR CALLBACK InputQueryProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    auto* value = reinterpret_cast<std::wstring*>(::GetWindowLongPtrW(dlg, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: {
        ::SetWindowLongPtrW(dlg, DWLP_USER, lParam);
        value = reinterpret_cast<std::wstring*>(lParam);
        const HWND edit = ::GetDlgItem(dlg, kValueId);
        ::SetWindowTextW(edit, value->c_str());
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
        ::SetFocus(edit);
        return FALSE; // the focus is set
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && value) {
            try {
                const HWND edit = ::GetDlgItem(dlg, kValueId);
                std::wstring typed(static_cast<std::size_t>(::GetWindowTextLengthW(edit)) + 1,
                                   L'\0');
                typed.resize(static_cast<std::size_t>(
                    ::GetWindowTextW(edit, typed.data(), static_cast<int>(typed.size()))));
                *value = std::move(typed);
                ::EndDialog(dlg, IDOK);
            } catch (...) {
                ::EndDialog(dlg, IDCANCEL); // the value stays as it was
            }
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(dlg, IDCANCEL);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

bool SystemInputQuery(const std::wstring& caption, const std::wstring& prompt,
                      std::wstring& value) {
    TDialogTemplate dialog(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 200, 62,
                           caption);
    dialog.Add(SS_LEFT | SS_NOPREFIX, 7, 7, 186, 10, kPromptId, kStaticClass, prompt);
    dialog.Add(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 19, 186, 13, kValueId, kEditClass, L"");
    dialog.Add(BS_DEFPUSHBUTTON | WS_TABSTOP, 89, 41, 50, 14, IDOK, kButtonClass, L"OK");
    dialog.Add(BS_PUSHBUTTON | WS_TABSTOP, 143, 41, 50, 14, IDCANCEL, kButtonClass, L"Cancel");
    // The dialog writes into a copy, so that the value changes only on OK.
    std::wstring edited = value;
    const INT_PTR pressed =
        ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), dialog.get(), DefaultOwner(),
                                  &InputQueryProc, reinterpret_cast<LPARAM>(&edited));
    if (pressed != IDOK) return false;
    value = std::move(edited);
    return true;
}

// Long enough for any path the system accepts.
constexpr std::size_t kFileNameChars = 32768;

bool SystemFileDialog(TFileDialogRequest& request, bool save) {
    // The system's form of the filter: each "|" a NUL, and a second NUL at the end (c_str's).
    std::wstring filter = request.Filter;
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    filter.push_back(L'\0');
    std::wstring file(std::max(kFileNameChars, request.FileName.size() + 1), L'\0');
    std::copy(request.FileName.begin(), request.FileName.end(), file.begin());

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = request.Owner;
    ofn.lpstrFilter = request.Filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = request.FilterIndex;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = request.Title.empty() ? nullptr : request.Title.c_str();
    ofn.lpstrDefExt = request.DefaultExt.empty() ? nullptr : request.DefaultExt.c_str();
    ofn.Flags = request.Options | OFN_EXPLORER;
    const BOOL confirmed = save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
    if (!confirmed) return false;
    request.FileName = file.c_str();
    request.FilterIndex = ofn.nFilterIndex;
    return true;
}

bool SystemOpenFile(TFileDialogRequest& request) {
    return SystemFileDialog(request, false);
}

bool SystemSaveFile(TFileDialogRequest& request) {
    return SystemFileDialog(request, true);
}

bool SystemSelectDirectory(HWND owner, const std::wstring& title, std::wstring& folder) {
    wchar_t display[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pszDisplayName = display;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    const UniqueTaskMem<ITEMIDLIST> chosen(::SHBrowseForFolderW(&info));
    wchar_t path[MAX_PATH] = {};
    if (!chosen || !::SHGetPathFromIDListW(chosen.get(), path)) return false;
    folder = path;
    return true;
}

// Carried by the program's own message boxes while they are up.
constexpr wchar_t kProgramBoxProperty[] = L"TnProgramBox";

// While it lives, the first dialog window this thread makes (the message box being shown) is
// marked as the program's own; boxes shown inside that box's loop have markers of their own.
class TBoxMarker {
public:
    TBoxMarker() noexcept
        : FOuter(Current),
          FHook(::SetWindowsHookExW(WH_CBT, &Hook, nullptr, ::GetCurrentThreadId())) {
        Current = this;
    }
    TBoxMarker(const TBoxMarker&) = delete;
    TBoxMarker& operator=(const TBoxMarker&) = delete;
    ~TBoxMarker() {
        if (FHook) ::UnhookWindowsHookEx(FHook);
        Current = FOuter;
    }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp) noexcept {
        const auto wnd = reinterpret_cast<HWND>(wp);
        if (code == HCBT_CREATEWND && Current && !Current->FMarked) {
            wchar_t cls[8] = {};
            if (::GetClassNameW(wnd, cls, 8) > 0 && std::wstring_view(cls) == L"#32770")
                Current->FMarked = ::SetPropW(wnd, kProgramBoxProperty, wnd) != FALSE;
        } else if (code == HCBT_DESTROYWND) {
            (void)::RemovePropW(wnd, kProgramBoxProperty);
        }
        return ::CallNextHookEx(nullptr, code, wp, lp);
    }
    static inline thread_local TBoxMarker* Current = nullptr;
    TBoxMarker* FOuter;
    HHOOK FHook;
    bool FMarked = false;
};

int WINAPI SystemMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags) {
    const TBoxMarker marker;
    return ::MessageBoxW(owner, text, caption, flags);
}

} // namespace

TDialogCalls& DialogCalls() noexcept {
    static TDialogCalls calls{&SystemMessageBox, &SystemInputQuery, &SystemOpenFile,
                              &SystemSaveFile, &SystemSelectDirectory};
    return calls;
}

bool IsProgramMessageBox(HWND wnd) noexcept {
    return wnd && ::GetPropW(wnd, kProgramBoxProperty) != nullptr;
}

namespace {
void MessageUnderTitle(HWND owner, const std::wstring& text, UINT flags) {
    const std::wstring caption = Application ? Application->Title() : std::wstring();
    DialogCalls().MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | flags);
}
} // namespace

void ShowMessage(const std::wstring& text) {
    MessageUnderTitle(DefaultOwner(), text, 0);
}

void ShowMessage(const std::wstring& text, HWND owner) {
    MessageUnderTitle(owner, text, MB_SETFOREGROUND);
}

} // namespace tn
