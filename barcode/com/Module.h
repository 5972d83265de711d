#pragma once

#include <windows.h>

#include <string>

namespace fernlowe::com {

// The full path of this DLL, for registration and for loading its own type library.
// Empty when Windows cannot tell it.
std::wstring ModulePath();

// Every live object, class-factory reference and class-factory lock holds the module;
// the DLL may be unloaded only while nothing does.
void LockModule();
void UnlockModule();

}  // namespace fernlowe::com
