#pragma once

#include <windows.h>

#include <string>

#include "Cases.h"
#include "cruflFernlowe.h"

// What one call of a report function gave, whichever way it was made.
struct Outcome {
    HRESULT status = E_FAIL;
    bool has_result = false;  // a string was delivered
    std::wstring result;
    std::wstring data_after;
    bool data_replaced = false;  // the caller's yourdata now holds another string
    std::wstring error_source;
    std::wstring error_text;
};

// How a caller of IDispatch::Invoke passes the arguments.
enum class Passing {
    Typed,           // VT_BYREF|VT_BSTR and VT_BYREF|VT_I2, as compiled callers do
    ScriptVariable,  // VT_BYREF|VT_VARIANT, as script hosts pass variables
    ByValue,         // VT_BSTR and VT_I2, as script hosts pass literals
};

// Through the interface's function table, with IErrorInfo for the error text.
Outcome CallThroughTable(_C* object, const Case& c);

// Through IDispatch::Invoke with the dispatch identifier from GetIDsOfNames, with EXCEPINFO
// for the error text.
Outcome CallThroughInvoke(IDispatch* object, const Case& c, Passing passing);

// The failure status that carries a report function's error number.
inline HRESULT ErrorStatus(int number) {
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
}
