// What the launcher's window layouts share: the settings they store for every browser they
// place, and the pictures kept in the program's resources.
#pragma once

#include "browser/component/HostedWB.h"
#include "classlib/Graphics.h"

#include <string>

namespace tn {

// The user-interface options of the login and announcement browsers (the game page's differ).
inline constexpr TUserInterfaceOptions kPageDialogOptions{
    TUserInterfaceOption::DisableTextSelect,        TUserInterfaceOption::DisableHelpMenu,
    TUserInterfaceOption::DontUse3DBorders,         TUserInterfaceOption::DontUseScrollBars,
    TUserInterfaceOption::EnablesFormsAutoComplete, TUserInterfaceOption::EnableThemes};

// Ctrl+N swallowed, no context menu, the given user-interface options, and the print values
// every layout stores.
void ApplyLayoutBrowserSettings(THostedWB& browser, TUserInterfaceOptions options);

// A picture of the program's resources (an RCDATA entry).
[[nodiscard]] TPicture ResourcePicture(const std::wstring& name);

} // namespace tn
