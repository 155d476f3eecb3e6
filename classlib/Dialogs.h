// The simple message box of the class library: a text under the application's title, one OK
// button, modal to the active window of the calling thread.
#pragma once

#include <string>

namespace tn {

void ShowMessage(const std::wstring& text);

} // namespace tn
