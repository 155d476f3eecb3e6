// Compiled for 32-bit x86 only, never linked or run. Every entry of the list is declared as the
// __stdcall function the table binds, and referenced, so the object's undefined symbols carry the
// compiler's own decoration _Name@N: N is the bytes a 32-bit caller pushes for that parameter
// list, which check_signatures.py compares with what the system's import library records.
#include "gdiplus/GdipTypes.h"

#ifndef TN_GDIP_ENTRY_LIST
#define TN_GDIP_ENTRY_LIST "gdiplus/GdipEntryPoints.inc"
#endif

#ifdef _WIN64
#error "the stack sizes are those of 32-bit x86: compile this with the i686 compiler"
#endif

namespace tn::gdiplus {

extern "C" {
#define TN_GDIP_ENTRY(R, Name, Params) R WINAPI Name Params;
#include TN_GDIP_ENTRY_LIST
#undef TN_GDIP_ENTRY
}

struct SignatureReferences {
#define TN_GDIP_ENTRY(R, Name, Params) R(WINAPI* Name) Params;
#include TN_GDIP_ENTRY_LIST
#undef TN_GDIP_ENTRY
};

extern const SignatureReferences kSignatureReferences;
const SignatureReferences kSignatureReferences = {
#define TN_GDIP_ENTRY(R, Name, Params) &Name,
#include TN_GDIP_ENTRY_LIST
#undef TN_GDIP_ENTRY
};

} // namespace tn::gdiplus
