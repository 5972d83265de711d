#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Cases.h"

// The checks of the test client, one function per concern. The ones that need an object
// create it by the programmatic identifier, so all of them need the DLL registered.
void CheckRegistration();
void CheckTypeInformation();
void CheckCalls(const std::vector<Case>& cases);
void CheckScriptArguments(const std::vector<Case>& cases);
void CheckUnloading();
void CheckVersionBlock(const std::wstring& file);
void CheckUnregistered();

// The type library of a DLL file, loaded as data without running the DLL, so that a 64-bit
// client can check the shipped 32-bit DLL; platform is the one it was made for.
void CheckTypeLibraryFile(const std::wstring& file, SYSKIND platform);

// Prints the time of many Invoke calls of ode128.
void TimeInvoke(int calls);
