// Late-bound automation: a member of an IDispatch is looked up by name at every call
// (GetIDsOfNames, then Invoke, both in the user's default locale). Whether a name matches without
// regard to case is the object's business. A name may be a dotted path
// ("Document.body.ScrollHeight"): every member before the last is read as a property and must give
// an object. Every failure, a nil object on the way included, raises EOleSysError whose message
// starts with the path up to the member concerned.
#pragma once

#include "classlib/ComPtr.h"

#include <initializer_list>
#include <string_view>

namespace tn {

// A property read (DISPATCH_PROPERTYGET).
[[nodiscard]] OleVariant OleGetProperty(IDispatch* object, std::wstring_view name);
// A property write (DISPATCH_PROPERTYPUT, the value as the named put argument).
void OleSetProperty(IDispatch* object, std::wstring_view name, const VARIANT& value);
// A method call or an indexed read (DISPATCH_METHOD | DISPATCH_PROPERTYGET), the arguments in the
// order the member declares them; its result.
OleVariant OleCallMethod(IDispatch* object, std::wstring_view name,
                         std::initializer_list<OleVariant> args = {});

} // namespace tn
