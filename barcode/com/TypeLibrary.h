#pragma once

#include <windows.h>

namespace fernlowe::com {

// The type library embedded in this DLL (resource TYPELIB 1), loaded without registering it.
HRESULT LoadOwnTypeLibrary(ITypeLib** library);

// The type information of interface _C, through which IDispatch is implemented.
HRESULT LoadReportFunctionsTypeInfo(ITypeInfo** info);

}  // namespace fernlowe::com
