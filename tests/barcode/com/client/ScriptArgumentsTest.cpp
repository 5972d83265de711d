// Invoke as script hosts call it: variables of any type passed as VT_BYREF|VT_VARIANT are
// coerced to the parameter's type, and only what a function changed is written back.
#include <string>

#include "Calls.h"
#include "Checks.h"
#include "Objects.h"
#include "Tests.h"

namespace {

const Case* Find(const std::vector<Case>& cases, const std::wstring& function, short number,
                 const std::wstring& data) {
    for (const Case& c : cases) {
        if (c.function == function && c.number == number && c.data == data) {
            return &c;
        }
    }
    check::That(false, "a case " + check::Printable(function) + " " + check::Printable(data));
    return nullptr;
}

DISPID IdOf(IDispatch* object, const wchar_t* name) {
    std::wstring text = name;
    LPOLESTR names[] = {text.data()};
    DISPID id = DISPID_UNKNOWN;
    object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

HRESULT Invoke(IDispatch* object, DISPID id, DISPPARAMS& params, VARIANT& result, UINT& arg_error) {
    VariantInit(&result);
    EXCEPINFO exception = {};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result,
                          &exception, &arg_error);
}

std::wstring Text(const VARIANT& v) {
    return V_VT(&v) == VT_BSTR ? std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v))) : L"";
}

// A number held in a variable is read as its digits, and the variable keeps its number.
void CheckNumberAsData(IDispatch* object, const Case& expected) {
    VARIANT data;
    V_VT(&data) = VT_I4;
    V_I4(&data) = std::stol(expected.data);
    VARIANT arg;
    V_VT(&arg) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&arg) = &data;
    DISPPARAMS params = {&arg, nullptr, 1, 0};
    VARIANT result;
    UINT arg_error = 0;
    check::Status(Invoke(object, IdOf(object, L"odeEAN8"), params, result, arg_error), S_OK,
                  "odeEAN8 of a number");
    check::Equal(Text(result), expected.result, "odeEAN8 of a number");
    check::That(V_VT(&data) == VT_I4 && V_I4(&data) == std::stol(expected.data),
                "a number variable that was not changed keeps its type and value");
    VariantClear(&result);
}

// A string variable as checkdigit is read as its number; yourdata receives the digits.
void CheckTextAsNumber(IDispatch* object, const Case& expected) {
    VARIANT data;
    V_VT(&data) = VT_BSTR;
    V_BSTR(&data) = SysAllocString(expected.data.c_str());
    VARIANT number;
    V_VT(&number) = VT_BSTR;
    V_BSTR(&number) = SysAllocString(std::to_wstring(expected.number).c_str());
    VARIANT args[2];
    V_VT(&args[0]) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&args[0]) = &number;
    V_VT(&args[1]) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&args[1]) = &data;
    DISPPARAMS params = {args, nullptr, 2, 0};
    VARIANT result;
    UINT arg_error = 0;
    check::Status(Invoke(object, IdOf(object, L"odeITF"), params, result, arg_error), S_OK,
                  "odeITF with checkdigit as text");
    check::Equal(Text(result), expected.result, "odeITF with checkdigit as text");
    check::Equal(Text(data), expected.data_after, "odeITF writes the digits back");
    check::Equal(Text(number), std::to_wstring(expected.number), "checkdigit text is kept");
    VariantClear(&result);
    VariantClear(&data);
    VariantClear(&number);
}

// Named arguments, in any order, reach the parameters of those names.
void CheckNamedArguments(IDispatch* object, const Case& expected) {
    std::wstring names_text[] = {L"ode128", L"format", L"yourdata"};
    LPOLESTR names[] = {names_text[0].data(), names_text[1].data(), names_text[2].data()};
    DISPID ids[3] = {};
    check::Status(object->GetIDsOfNames(IID_NULL, names, 3, LOCALE_USER_DEFAULT, ids), S_OK,
                  "GetIDsOfNames of ode128 and its parameters");
    Bstr data(expected.data);
    short format = expected.number;
    VARIANT args[2];
    V_VT(&args[0]) = VT_BYREF | VT_I2;
    V_I2REF(&args[0]) = &format;
    V_VT(&args[1]) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&args[1]) = &data;
    DISPID named[2] = {ids[1], ids[2]};
    DISPPARAMS params = {args, named, 2, 2};
    VARIANT result;
    UINT arg_error = 0;
    check::Status(Invoke(object, ids[0], params, result, arg_error), S_OK, "named arguments");
    check::Equal(Text(result), expected.result, "ode128 with named arguments");
    check::Equal(data.text(), expected.data_after, "ode128 with named arguments: yourdata");
    VariantClear(&result);
}

void CheckRefusals(IDispatch* object) {
    VARIANT null_value;
    V_VT(&null_value) = VT_NULL;
    VARIANT format;
    V_VT(&format) = VT_I2;
    V_I2(&format) = 1;
    VARIANT args[2];
    args[0] = format;
    V_VT(&args[1]) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&args[1]) = &null_value;
    DISPPARAMS params = {args, nullptr, 2, 0};
    VARIANT result;
    UINT arg_error = 99;
    check::Status(Invoke(object, IdOf(object, L"ode128"), params, result, arg_error),
                  DISP_E_TYPEMISMATCH, "Null as yourdata");
    check::That(arg_error == 1, "the argument that does not fit is named");
    check::That(V_VT(&null_value) == VT_NULL, "a refused variable is left alone");

    DISPPARAMS one = {args, nullptr, 1, 0};
    check::Status(Invoke(object, IdOf(object, L"ode128"), one, result, arg_error),
                  DISP_E_BADPARAMCOUNT, "ode128 with one argument");
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    check::Status(Invoke(object, 0x60030004, none, result, arg_error), DISP_E_MEMBERNOTFOUND,
                  "dispatch identifier 0x60030004");
    check::That(IdOf(object, L"Code128RemapChars") == DISPID_UNKNOWN,
                "the private operations are not names of the interface");
}

}  // namespace

void CheckScriptArguments(const std::vector<Case>& cases) {
    IDispatch* object = CreateByProgId();
    check::That(object != nullptr, "CRUFLFernlowe.C can be created");
    if (object == nullptr) {
        return;
    }
    if (const Case* c = Find(cases, L"CodeEAN8", 0, L"9638507")) {
        CheckNumberAsData(object, *c);
    }
    if (const Case* c = Find(cases, L"CodeITF", 1, L"1234")) {
        CheckTextAsNumber(object, *c);
    }
    if (const Case* c = Find(cases, L"Code128", 3, L"00012345600000001")) {
        CheckNamedArguments(object, *c);
    }
    CheckRefusals(object);
    object->Release();
}
