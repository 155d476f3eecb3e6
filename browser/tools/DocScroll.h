// Scrolling the page (or the folder view the control shows in its place), its scroll bars and
// position, the frames and other objects embedded in a document, and the word under a point.
#pragma once

#include "browser/tools/ToolHost.h"
#include "classlib/ComPtr.h"

#include <windows.h>
#include <exdisp.h>

#include <string>

namespace tn {

// The word of the page under the client point X, Y, trimmed; empty without a document or a
// selection. A failing call of the page raises EOleSysError.
[[nodiscard]] std::wstring GetWordAtPoint(TBrowserToolHost& Host, int X, int Y);

// Scrolls the page by the offset of the element with the id ID (or, for ScrollToNumericId, the
// first element of the page whose id is the decimal text of ID), so that its top-left corner comes
// to the top-left of the view. Nothing without a document or such an element; a failing call of
// the page raises EOleSysError.
void ScrollToElementId(const std::wstring& ID, TBrowserToolHost& Host);
void ScrollToNumericId(int ID, TBrowserToolHost& Host);

// The folder view (a "SysListView32") below the window, looked for one level at a time along the
// first children from the window's first child on; 0 when there is none.
[[nodiscard]] HWND FindFolderListView(HWND Handle) noexcept;

// Whether the folder view, else the page, shows its horizontal and vertical scroll bars; both
// false without either. A failing read of the page raises EOleSysError.
void GetScrollBarsVisible(TBrowserToolHost& Host, bool& Horizontal, bool& Vertical);

// The folder view's scroll position; false without a folder view or when it cannot be read.
[[nodiscard]] bool GetFolderScrollPos(TBrowserToolHost& Host, POINT& Pos) noexcept;
// The page's scroll position, (-1, -1) first; a coordinate that cannot be read stays -1, and the
// result is true only when both were read. Never raises.
[[nodiscard]] bool GetDocumentScrollPos(TBrowserToolHost& Host, POINT& Pos) noexcept;
// The page's position, else the folder view's.
[[nodiscard]] bool GetScrollPosition(TBrowserToolHost& Host, POINT& Pos) noexcept;

// Scroll the page of the control's automation object to its top or to X, Y, or the document to
// its bottom; every failure is dropped.
void ScrollDocumentToTop(IDispatch* Application) noexcept;
void ScrollDocumentTo(IDispatch* Application, int X, int Y) noexcept;
void ScrollDocumentToBottom(IUnknown* Document) noexcept;

// The document's embedded objects that are web browsers (its frames).
[[nodiscard]] int CountFrameBrowsers(IUnknown* Document) noexcept;
// The document's embedded objects of every kind, at most 100.
[[nodiscard]] int CountEmbeddedObjects(IUnknown* Document) noexcept;
// The web browser of the object FrameNo (from 0) among the document's embedded and other objects;
// empty when that object is none or there is no such object.
void GetFrameBrowser(IUnknown* Document, int FrameNo, ComPtr<IWebBrowser2>& Browser) noexcept;

} // namespace tn
