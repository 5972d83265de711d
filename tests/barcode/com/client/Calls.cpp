#include "Calls.h"

#include <vector>

#include "Checks.h"

namespace {

void ReadErrorInfo(Outcome& outcome) {
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK) {
        return;
    }
    Bstr source;
    Bstr description;
    info->GetSource(&source);
    info->GetDescription(&description);
    outcome.error_source = source.text();
    outcome.error_text = description.text();
    info->Release();
}

}  // namespace

Outcome CallThroughTable(_C* object, const Case& c) {
    Bstr data(c.data);
    Bstr delim(c.delim);
    short number = c.number;
    const BSTR before = data.get();
    BSTR result = nullptr;
    Outcome outcome;
    SetErrorInfo(0, nullptr);
    const std::wstring method = c.Method();
    if (method == L"ode39") {
        outcome.status = object->ode39(&data, &number, &delim, &result);
    } else if (method == L"odeITF") {
        outcome.status = object->odeITF(&data, &number, &result);
    } else if (method == L"ode128") {
        outcome.status = object->ode128(&data, &number, &result);
    } else if (method == L"odeUPCA") {
        outcome.status = object->odeUPCA(&data, &result);
    } else if (method == L"odeEAN13") {
        outcome.status = object->odeEAN13(&data, &result);
    } else if (method == L"odeEAN8") {
        outcome.status = object->odeEAN8(&data, &result);
    }
    outcome.has_result = result != nullptr;
    outcome.result = std::wstring(result ? result : L"", SysStringLen(result));
    SysFreeString(result);
    outcome.data_after = data.text();
    outcome.data_replaced = data.get() != before;
    check::That(number == c.number, c.Name() + ": the number is left as it was");
    check::Equal(delim.text(), c.delim, c.Name() + ": delim is left as it was");
    if (FAILED(outcome.status)) {
        ReadErrorInfo(outcome);
    }
    return outcome;
}

Outcome CallThroughInvoke(IDispatch* object, const Case& c, Passing passing) {
    Outcome outcome;
    std::wstring name = c.Method();
    LPOLESTR names[] = {name.data()};
    DISPID id = 0;
    outcome.status = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(outcome.status)) {
        return outcome;
    }
    // The values as the caller holds them: plain variants for script variables and literals,
    // a BSTR and a short for a compiled caller's typed variables.
    Bstr data(c.data);
    Bstr delim(c.delim);
    short number = c.number;
    const BSTR before = data.get();
    VARIANT held[3];
    for (VARIANT& v : held) {
        VariantInit(&v);
    }
    V_VT(&held[0]) = VT_BSTR;
    V_BSTR(&held[0]) = SysAllocString(data.get() ? data.get() : L"");
    V_VT(&held[1]) = VT_I2;
    V_I2(&held[1]) = c.number;
    V_VT(&held[2]) = VT_BSTR;
    V_BSTR(&held[2]) = SysAllocString(delim.get() ? delim.get() : L"");
    const BSTR held_before = V_BSTR(&held[0]);

    const std::wstring method = c.Method();
    const UINT count = method == L"ode39"                             ? 3
                       : (method == L"odeITF" || method == L"ode128") ? 2
                                                                      : 1;
    std::vector<VARIANT> args(count);
    for (UINT i = 0; i < count; ++i) {
        VARIANT& arg = args[count - 1 - i];  // last argument first
        VariantInit(&arg);
        if (passing == Passing::Typed) {
            V_VT(&arg) = VT_BYREF | (i == 1 ? VT_I2 : VT_BSTR);
            V_BYREF(&arg) = i == 0   ? static_cast<void*>(&data)
                            : i == 1 ? static_cast<void*>(&number)
                                     : static_cast<void*>(&delim);
        } else if (passing == Passing::ScriptVariable) {
            V_VT(&arg) = VT_BYREF | VT_VARIANT;
            V_VARIANTREF(&arg) = &held[i];
        } else {
            arg = held[i];  // a shallow copy; held keeps ownership
        }
    }
    DISPPARAMS params = {args.data(), nullptr, count, 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception = {};
    UINT arg_error = 0;
    outcome.status = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                    &result, &exception, &arg_error);
    if (outcome.status == DISP_E_EXCEPTION) {
        outcome.status = exception.scode;
        outcome.error_source = std::wstring(exception.bstrSource ? exception.bstrSource : L"");
        outcome.error_text =
            std::wstring(exception.bstrDescription ? exception.bstrDescription : L"");
        check::That(V_VT(&result) == VT_EMPTY, c.Name() + ": no result after an exception");
    }
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    if (SUCCEEDED(outcome.status)) {
        check::That(V_VT(&result) == VT_BSTR, c.Name() + ": the result is a string");
        outcome.has_result = V_VT(&result) == VT_BSTR;
        if (outcome.has_result) {
            outcome.result = std::wstring(V_BSTR(&result), SysStringLen(V_BSTR(&result)));
        }
    }
    VariantClear(&result);

    if (passing == Passing::Typed) {
        outcome.data_after = data.text();
        outcome.data_replaced = data.get() != before;
        check::That(number == c.number, c.Name() + ": the number is left as it was");
        check::Equal(delim.text(), c.delim, c.Name() + ": delim is left as it was");
    } else {
        check::That(V_VT(&held[0]) == VT_BSTR, c.Name() + ": yourdata is still a string");
        outcome.data_after = std::wstring(V_BSTR(&held[0]), SysStringLen(V_BSTR(&held[0])));
        outcome.data_replaced = V_BSTR(&held[0]) != held_before;
        check::That(V_VT(&held[1]) == VT_I2 && V_I2(&held[1]) == c.number,
                    c.Name() + ": the number variable is left as it was");
        check::Equal(std::wstring(V_BSTR(&held[2]), SysStringLen(V_BSTR(&held[2]))), c.delim,
                     c.Name() + ": the delim variable is left as it was");
    }
    for (VARIANT& v : held) {
        VariantClear(&v);
    }
    return outcome;
}
