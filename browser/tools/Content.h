// The page's content read through the control's automation object (its markup, its text, its
// links, its pictures saved to a folder), its character set changed, and the page drawn into a
// thumbnail, a bitmap file or a JPEG file through the view object.
#pragma once

#include "browser/tools/ToolHost.h"

#include <windows.h>
#include <unknwn.h>

#include <string>
#include <vector>

namespace tn {

class TImage;

// The list is cleared; with an HTML document, one line: the markup (or the text) of the
// automation object's Document.documentElement. Errors are swallowed.
void GetDocumentHtml(IDispatch* Application, IUnknown* Document,
                     std::vector<std::wstring>& List) noexcept;
void GetDocumentText(IDispatch* Application, IUnknown* Document,
                     std::vector<std::wstring>& List) noexcept;
// The lines' text (each line followed by CR LF) of GetDocumentHtml with the automation object's
// own Document, and of GetDocumentText with the document given. Raises EOleError when the
// automation object has no Document to read.
[[nodiscard]] std::wstring GetDocumentSource(IDispatch* Application);
[[nodiscard]] std::wstring GetDocumentSourceText(IDispatch* Application, IUnknown* Document);

// With an HTML document, its text in a message box: no icon, one OK button, no owner (centred on
// the screen). Raises EOleError.
void ShowDocumentText(IDispatch* Application, IUnknown* Document);

// Adds the address of every link of the document's body ("No Links found in the page body" for a
// body without one; nothing for a frame set), then those of each frame's document, to any depth.
// A frame that cannot be read is skipped; an error of the document itself raises EOleError.
void CollectLinks(IDispatch* Document, std::vector<std::wstring>& List);
// The list is cleared; then CollectLinks on the automation object's Document when that is an HTML
// document. Raises EOleError.
void GetPageLinks(IDispatch* Application, std::vector<std::wstring>& List);

// With an HTML document, offers its text to be saved through the save dialog, owned by the host's
// window; saved only when the user confirms. Raises EOleError and EFileError.
void SaveDocumentTextDialog(TBrowserToolHost& Owner, IDispatch* Application, IUnknown* Document);

// With an HTML document, asks for a folder (in a dialog owned by Owner) and downloads each GIF,
// JPG, BMP and PNG picture of Host's page into its "Images" subfolder, made when needed; the kind
// is that of the address's path, and a name the system takes for a device is never written. A
// cancelled choice saves nothing, and the walk ends when the dialog or a download freed Host.
// Raises EOleError.
void SaveDocumentImages(TBrowserToolHost& Host, HWND Owner, IDispatch* Application,
                        IUnknown* Document);

// After the host's wait, sets the character set of the host's document and, with Refresh, reloads
// the page. True once the character set is set; false when the wait freed the host. Errors are
// swallowed.
bool SetDocumentCharset(TBrowserToolHost& Host, IUnknown* Document,
                        const std::wstring& ACharactersSet, bool Refresh) noexcept;

// Draws the page as a thumbnail into the image's picture at the image's size and repaints the
// image; nothing without an image. Raises EOleSysError when the object has no view object.
void DrawThumbnail(IUnknown* Application, TImage* Image);

// Draws an HTML document at the given size into a Windows bitmap file. False, and no file, for
// any failure (no view object, a failing draw, a size of 0 or less, a file not written).
[[nodiscard]] bool SaveSnapshotBitmap(IUnknown* Document, int Width, int Height,
                                      const std::wstring& FileName) noexcept;

// Draws the browser at the source size, stretches that to the target size and saves it as a JPEG
// file. False, and no file, for any failure (no view object, a failing draw, a size of 0 or less or
// beyond a bitmap's bound, a file not written).
[[nodiscard]] bool SaveSnapshotJpeg(IUnknown* Browser, const std::wstring& FileName,
                                    int SourceHeight, int SourceWidth, int TargetHeight,
                                    int TargetWidth) noexcept;

} // namespace tn
