#pragma once

#include <windows.h>

#include "cruflFernlowe.h"

// Creates an instance of class C by its programmatic identifier, as hosts do; null when that
// fails. The caller releases it.
IDispatch* CreateByProgId();

// The same object's interface _C, for calls through the function table.
_C* AsInterface(IDispatch* object);
