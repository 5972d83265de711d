// Times Invoke of ode128 as a script host calls it: a variable by reference and a number.
#include <cstdio>
#include <string>

#include "Objects.h"
#include "Tests.h"

void TimeInvoke(int calls) {
    IDispatch* object = CreateByProgId();
    if (object == nullptr) {
        std::printf("cannot create CRUFLFernlowe.C\n");
        return;
    }
    std::wstring name = L"ode128";
    LPOLESTR names[] = {name.data()};
    DISPID id = 0;
    object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    const BSTR data_text = SysAllocString(L"ABC12345");
    VARIANT data;
    VariantInit(&data);
    VARIANT args[2];
    V_VT(&args[0]) = VT_I2;
    V_I2(&args[0]) = 1;
    V_VT(&args[1]) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&args[1]) = &data;
    DISPPARAMS params = {args, nullptr, 2, 0};
    int failures = 0;
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < calls; ++i) {
        VariantClear(&data);  // ode128 wrote the symbol text into it
        V_VT(&data) = VT_BSTR;
        V_BSTR(&data) = SysAllocString(data_text);
        VARIANT result;
        VariantInit(&result);
        if (FAILED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                  &result, nullptr, nullptr))) {
            ++failures;
        }
        VariantClear(&result);
    }
    QueryPerformanceCounter(&end);
    const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) /
                           static_cast<double>(frequency.QuadPart);
    std::printf("%d Invoke calls of ode128: %.3f s (%.2f us a call), %d failed\n", calls, seconds,
                seconds * 1e6 / calls, failures);
    VariantClear(&data);
    SysFreeString(data_text);
    object->Release();
}
