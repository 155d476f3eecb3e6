#include "classlib/SystemEntries.h"

namespace tn {

namespace {

template <class F> F Entry(const wchar_t* library, const char* name, WORD ordinal) noexcept {
    // The one the process already uses (its subclass calls are imported from it), else loaded
    // and kept for the process's life, as an import would be.
    HMODULE module = ::GetModuleHandleW(library);
    if (!module) module = ::LoadLibraryW(library);
    if (!module) return nullptr;
    FARPROC p = ::GetProcAddress(module, name);
    // Older common-controls libraries export it by ordinal only.
    if (!p) p = ::GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
    return reinterpret_cast<F>(reinterpret_cast<void*>(p));
}

} // namespace

bool BoundGetWindowSubclass(HWND wnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR* refData) noexcept {
    using Fn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR*);
    static const Fn fn = Entry<Fn>(L"comctl32.dll", "GetWindowSubclass", 411);
    return fn && fn(wnd, proc, id, refData) != FALSE;
}

} // namespace tn
