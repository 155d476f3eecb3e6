// What the launcher's windows share: the process-wide window and URL variables, the custom window
// messages, and the command-line switches.
#pragma once

#include "classlib/CommandLine.h"

#include <windows.h>

#include <string>
#include <vector>

namespace tn {

class TFormBack;
class TFormLogin;
class TFormMain;

// Touched on the GUI thread only.
extern TFormBack* FormBack;
extern TFormLogin* FormLogin;
extern TFormMain* FormMain;
extern std::wstring GameUrl;

inline constexpr UINT WM_BARICON = WM_USER + 206;
inline constexpr UINT WM_NAVIGATERETRY = WM_USER + 200;
inline constexpr UINT WM_REVIGATE = WM_USER + 1;
// WM_SYSCOMMAND with this wParam is the program's own hide-to-tray command.
inline constexpr WPARAM SC_HIDETOTRAY = 0;

// The switches, each tested on the whole argument. args are the arguments after the program name.
[[nodiscard]] bool IsAutoRunStart(const std::vector<std::wstring>& args);
// "/autorun" first and no "/setuprun" second: the windows go to the tray at once.
[[nodiscard]] bool IsTrayStart(const std::vector<std::wstring>& args);

} // namespace tn
