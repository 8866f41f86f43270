// A property value as COM hands it over, read into the seam's kinds: null, text, integer or
// byte array.
#pragma once

#include "platform/win32/windows_api.h"

#include <oaidl.h>

namespace platform::win32 {

// Empty and null are null; a string is text; every integer type and a boolean (1 or 0) is an
// integer; an array of an integer type is a byte array, each element cut to its low byte (the
// byte arrays the engine reads come as other integer arrays from some providers). Anything
// else reads as null.
WmiValue WmiValueOf(const VARIANT& value);

}  // namespace platform::win32
