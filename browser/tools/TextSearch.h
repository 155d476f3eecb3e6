// Searching the page's text, colouring every match (in each frame), and the values of its form
// fields, its own and those of the shell's open browser windows.
#pragma once

#include "browser/host/EnumSet.h"
#include "browser/tools/ToolHost.h"
#include "classlib/ComPtr.h"

#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>

#include <string>

namespace tn {

enum TSearchFlag : unsigned { sfMatchWholeWord, sfMatchCase };
using TSearchFlags = TEnumSet<TSearchFlag>;
enum TScrollIntoView : unsigned { sivNoScroll, sivFirstMatch, sivLastMatch };

// After the host's wait (none when the wait freed the host): a range over the body, its start moved
// Count characters on, searched for Text with the find flags Flags; the match, scrolled into view,
// or empty. A match at the first character is thus never found. The class library's errors give
// empty; others reach the caller.
void FindTextRange(TBrowserToolHost& Host, IUnknown* Document, const std::wstring& Text, LONG Count,
                   LONG Flags, ComPtr<IHTMLTxtRange>& Range);

// After the host's wait: whether the body holds Text; false when the wait freed the host. The
// class library's errors give false.
[[nodiscard]] bool DocumentContainsText(TBrowserToolHost& Host, const std::wstring& Text);

// Colours every match of Text in the document's body with the back and fore colours (an empty one
// stays as it is), scrolls to the first or last match as asked, and returns the number of matches.
// A failing call of the page raises EOleSysError.
int HighlightText(IUnknown* Document, const std::wstring& Text, TSearchFlags Flags,
                  const std::wstring& BackColor, const std::wstring& ForeColor,
                  TScrollIntoView ScrollMode);

// HighlightText on Host's document, or, when it holds embedded objects, on the document of each
// frame among them (and so on into nested frames); the frameset itself is not searched. With
// Prompt the user first confirms or changes the text in the input query (Caption, PromptText);
// Cancel, an empty text or a query that freed Host searches nothing.
void HighlightTextInFrames(TBrowserToolHost& Host, IUnknown* Document, std::wstring Text,
                           const std::wstring& Caption, const std::wstring& PromptText,
                           TSearchFlags Flags, const std::wstring& BackColor,
                           const std::wstring& ForeColor, TScrollIntoView ScrollMode, bool Prompt);

// Sets Value on the field elements named FieldName that are INPUT, SELECT or TEXTAREA: with
// ElementNr -1 the first of them, with ElementNr above 0 only the element of that index, else none.
// True once one is set; any error ends with the result reached.
[[nodiscard]] bool SetFormFieldValue(IHTMLDocument3* Doc, const std::wstring& FieldName,
                                     const std::wstring& Value, int ElementNr) noexcept;
// The same on the host's document; false when it has none.
[[nodiscard]] bool FillDocumentForm(TBrowserToolHost& Host, const std::wstring& FieldName,
                                    const std::wstring& Value, int ElementNr) noexcept;

// The value of the last form element named exactly FieldName, read late-bound through the
// control's automation object; empty without a form or such an element. An element that cannot
// be read is passed over; other failures raise EOleSysError.
[[nodiscard]] std::wstring GetFormFieldValue(IDispatch* Application, const std::wstring& FieldName);

// The platform call behind the shell's window collection; a test puts a double in its place.
struct ShellWindowsCalls {
    HRESULT (*createShellWindows)(IShellWindows** Windows);
};
[[nodiscard]] const ShellWindowsCalls& SystemShellWindowsCalls() noexcept;

// In the page of every browser window of the shell: text inputs get "FindWindow", submit inputs
// whose value is "Search" are clicked. Each of the two checks of an element fails on its own; a
// collection that cannot be opened or counted, and a window without a page, are passed over; a
// page whose forms cannot be walked raises EOleSysError.
void FillShellWindowForms(const ShellWindowsCalls& calls = SystemShellWindowsCalls());

} // namespace tn
