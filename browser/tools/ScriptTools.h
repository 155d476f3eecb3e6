// Script and command helpers of the browser tools: a document command through its command
// target, a named script function called with typed arguments, script code run in the page's
// window, text as a byte array for post data, and the wait for the host's document.
#pragma once

#include "browser/tools/ToolHost.h"
#include "classlib/ComPtr.h"

#include <windows.h>
#include <unknwn.h>

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace tn {

// An 8-bit text that carries its length in its first byte.
struct TShortString {
    std::array<std::uint8_t, 256> bytes{};
};

// One item of a script call's argument list. The kinds, in order: integer, Boolean, character,
// float, 8-bit text pointer, wide character, wide text pointer, 8-bit text, currency, the caller's
// variant (passed by reference), wide text, 64-bit integer, length-prefixed 8-bit text. An
// interface is no kind a script argument takes: it is refused.
using TScriptArg =
    std::variant<int, bool, char, double, const char*, wchar_t, const wchar_t*, std::string, CY,
                 VARIANT*, std::wstring, std::int64_t, TShortString, IUnknown*>;

// Exec of the document's command target: in the browser's own command group with UseGroup, else
// in none. S_FALSE unless the document is an HTML document with a command target; errors give the
// result reached so far.
[[nodiscard]] HRESULT ExecOleCommand(IUnknown* Document, bool UseGroup, DWORD CmdID, DWORD ExecOpt,
                                     VARIANT* In, VARIANT* Out) noexcept;

// Calls the object's method (or reads its property) Name with Args, the first item the callee's
// first argument. Result is false first, then the call's result. Raises EOleError for a name the
// object lacks, an item of a refused kind (its index counted from the end, 0 for the last) and a
// failing call. Every text item goes as a string of its own, freed after the call; 8-bit text is
// read in the system code page.
void InvokeScriptMethod(IDispatch* Obj, const std::wstring& Name,
                        const std::vector<TScriptArg>& Args, OleVariant& Result);

// The page's script function Name called with Args; Result stays empty without a document. The
// call's errors reach the caller.
void ExecScriptFunction(TBrowserToolHost& Host, const std::wstring& Name,
                        const std::vector<TScriptArg>& Args, OleVariant& Result);

// Runs Code in the page's window in Language; the result and every error are dropped.
void ExecScriptCode(TBrowserToolHost& Host, const std::wstring& Code,
                    const std::wstring& Language) noexcept;

// Out becomes empty, then, for a text that is not empty, an array of unsigned bytes from 0 to its
// length less one, one byte per character (the texts given are ASCII).
void StringToByteArray(const std::wstring& Text, OleVariant& Out);

// The host's wait without time-out.
bool WaitForDocument(TBrowserToolHost& Host);

} // namespace tn
