#include "ReportFunctions.h"

#include <new>
#include <string>

#include "../C.h"
#include "Bstr.h"
#include "ErrorInfo.h"
#include "Module.h"
#include "ScriptArguments.h"

namespace fernlowe::com {

namespace {

// Runs one report function on a by-reference yourdata: the result becomes a new BSTR for the
// caller, and what the encoder left in its copy of the data replaces the caller's string
// when it differs, also after a run-time error. Encode takes the data as std::u16string&.
template <typename Encode>
HRESULT Run(BSTR* yourdata, BSTR* result, Encode encode) {
    if (yourdata == nullptr || result == nullptr) {
        return E_POINTER;
    }
    *result = nullptr;
    try {
        std::u16string data = FromBstr(*yourdata);
        try {
            BSTR text = NewBstr(encode(data));
            if (text == nullptr) {
                return E_OUTOFMEMORY;
            }
            if (!ReplaceIfChanged(yourdata, data)) {
                SysFreeString(text);
                return E_OUTOFMEMORY;
            }
            *result = text;
            return S_OK;
        } catch (const ReportFunctionError& error) {
            ReplaceIfChanged(yourdata, data);
            return ReportError(error);
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace

ReportFunctions::ReportFunctions(ITypeInfo* type_info) : type_info_(type_info) {
    type_info_->AddRef();
    LockModule();
}

ReportFunctions::~ReportFunctions() {
    type_info_->Release();
    UnlockModule();
}

HRESULT ReportFunctions::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, IID__C)) {
        *object = static_cast<_C*>(this);
    } else if (IsEqualIID(riid, IID_ISupportErrorInfo)) {
        *object = static_cast<ISupportErrorInfo*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG ReportFunctions::AddRef() {
    return InterlockedIncrement(&references_);
}

ULONG ReportFunctions::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT ReportFunctions::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 1;
    return S_OK;
}

HRESULT ReportFunctions::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    *info = nullptr;
    if (index != 0) {
        return DISP_E_BADINDEX;
    }
    type_info_->AddRef();
    *info = type_info_;
    return S_OK;
}

HRESULT ReportFunctions::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                       DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    return type_info_->GetIDsOfNames(names, count, ids);
}

HRESULT ReportFunctions::Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                VARIANT* result, EXCEPINFO* exception, UINT* arg_error) {
    if (!IsEqualIID(riid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    if (params == nullptr) {
        return E_INVALIDARG;
    }
    try {
        ScriptArguments arguments;
        const HRESULT adapted = arguments.Adapt(type_info_, member, *params, arg_error);
        if (FAILED(adapted)) {
            return adapted;
        }
        const HRESULT hr = type_info_->Invoke(static_cast<_C*>(this), member, flags,
                                              arguments.Params(), result, exception, arg_error);
        arguments.WriteBack();
        if (FAILED(hr) && result != nullptr) {
            // A failed call delivers no string; the type library's Invoke may have put an
            // empty one there.
            VariantClear(result);
        }
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ReportFunctions::InterfaceSupportsErrorInfo(REFIID riid) {
    return IsEqualIID(riid, IID__C) ? S_OK : S_FALSE;
}

HRESULT ReportFunctions::ode39(BSTR* yourdata, short* checkdigit, BSTR* delim, BSTR* result) {
    if (checkdigit == nullptr || delim == nullptr) {
        return E_POINTER;
    }
    return Run(yourdata, result, [&](std::u16string& data) {
        return fernlowe::C().ode39(data, *checkdigit, FromBstr(*delim));
    });
}

HRESULT ReportFunctions::odeITF(BSTR* yourdata, short* checkdigit, BSTR* result) {
    if (checkdigit == nullptr) {
        return E_POINTER;
    }
    return Run(yourdata, result,
               [&](std::u16string& data) { return fernlowe::C().odeITF(data, *checkdigit); });
}

HRESULT ReportFunctions::ode128(BSTR* yourdata, short* format, BSTR* result) {
    if (format == nullptr) {
        return E_POINTER;
    }
    return Run(yourdata, result,
               [&](std::u16string& data) { return fernlowe::C().ode128(data, *format); });
}

HRESULT ReportFunctions::odeUPCA(BSTR* yourdata, BSTR* result) {
    return Run(yourdata, result, [](std::u16string& data) { return fernlowe::C().odeUPCA(data); });
}

HRESULT ReportFunctions::odeEAN13(BSTR* yourdata, BSTR* result) {
    return Run(yourdata, result, [](std::u16string& data) { return fernlowe::C().odeEAN13(data); });
}

HRESULT ReportFunctions::odeEAN8(BSTR* yourdata, BSTR* result) {
    return Run(yourdata, result, [](std::u16string& data) { return fernlowe::C().odeEAN8(data); });
}

}  // namespace fernlowe::com
