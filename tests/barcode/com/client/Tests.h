#pragma once

#include <vector>

#include "Cases.h"

// The checks of the test client, one function per concern. The ones that need an object
// create it by the programmatic identifier, so all of them need the DLL registered.
void CheckRegistration();
void CheckTypeInformation();
void CheckCalls(const std::vector<Case>& cases);
void CheckScriptArguments(const std::vector<Case>& cases);
void CheckUnloading();
void CheckVersionBlock();
void CheckUnregistered();

// Prints the time of many Invoke calls of ode128.
void TimeInvoke(int calls);
