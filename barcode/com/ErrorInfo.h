#pragma once

#include <windows.h>

#include "../C.h"

namespace fernlowe::com {

// Hands a report function's run-time error to the caller as rich error information (source
// and description) and returns the failure status that carries its number: facility
// CONTROL with the number as code, the status Visual Basic and its script hosts turn back
// into the error number (0x800A0006 is error 6).
HRESULT ReportError(const ReportFunctionError& error);

}  // namespace fernlowe::com
