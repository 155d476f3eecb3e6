#include "classlib/Menus.h"

#include "classlib/Application.h"
#include "classlib/Controls.h"

namespace tn {
namespace {

struct MenuTraits {
    static HMENU invalid() noexcept { return nullptr; }
    static bool valid(HMENU h) noexcept { return h != nullptr; }
    static void close(HMENU h) noexcept { ::DestroyMenu(h); }
};
using UniqueMenu = UniqueHandle<HMENU, MenuTraits>;

// Builds the system menu for the items; command identifiers index the flat list of items.
void Build(HMENU menu, const TMenuItem& parent, std::vector<TMenuItem*>& commands) {
    for (TMenuItem* item : parent.Items()) {
        if (!item->Visible) continue;
        if (item->Caption == L"-") {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = MF_STRING | (item->Checked ? MF_CHECKED : 0) | (item->Enabled ? 0 : MF_GRAYED);
        if (!item->Items().empty()) {
            const HMENU sub = ::CreatePopupMenu();
            if (!sub) continue;
            Build(sub, *item, commands);
            // The parent menu owns the sub-menu from here on.
            ::AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub),
                          item->Caption.c_str());
            continue;
        }
        commands.push_back(item);
        ::AppendMenuW(menu, flags, commands.size(), item->Caption.c_str());
    }
}

} // namespace

TPopupMenuCalls& PopupMenuCalls() noexcept {
    static TPopupMenuCalls calls{&::SetForegroundWindow, &::TrackPopupMenu, &::PostMessageW};
    return calls;
}

TMenuItem* TMenuItem::Add(const std::wstring& caption, TNotifyEvent onClick) {
    TMenuItem* item = TComponent::Create<TMenuItem>(*this);
    item->Caption = caption;
    item->OnClick = std::move(onClick);
    FItems.push_back(item);
    return item;
}

void TMenuItem::Click() {
    if (Enabled && OnClick) OnClick(this);
}

TPopupMenu::TPopupMenu(TComponent* owner)
    : TComponent(owner), FItems(TComponent::Create<TMenuItem>(*this)) {}

HWND TPopupMenu::OwnerWindow() const {
    for (TComponent* c = Owner(); c; c = c->Owner())
        if (auto* w = dynamic_cast<TWinControl*>(c)) return w->Handle();
    return Application ? Application->Handle() : nullptr;
}

void TPopupMenu::Popup(int x, int y) {
    if (OnPopup) OnPopup(this);
    const UniqueMenu menu(::CreatePopupMenu());
    if (!menu) return;
    std::vector<TMenuItem*> commands;
    Build(menu.get(), *FItems, commands);
    const HWND owner = OwnerWindow();
    const TPopupMenuCalls& calls = PopupMenuCalls();
    // Without the foreground a menu of a window in the tray stays open when the user clicks
    // elsewhere; the posted message lets the system's menu mode end before the next menu.
    (void)calls.SetForegroundWindow(owner);
    const UINT chosen = static_cast<UINT>(calls.TrackPopupMenu(
        menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
        x, y, 0, owner, nullptr));
    (void)calls.PostMessageW(owner, WM_NULL, 0, 0);
    if (chosen >= 1 && chosen <= commands.size()) commands[chosen - 1]->Click();
}

} // namespace tn
