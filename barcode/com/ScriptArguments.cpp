#include "ScriptArguments.h"

#include <cstring>

namespace fernlowe::com {

namespace {

// The type that a by-reference parameter points to; VT_EMPTY for a parameter passed by value,
// which the type library's Invoke handles itself.
VARTYPE ReferencedType(const ELEMDESC& param) {
    return param.tdesc.vt == VT_PTR ? param.tdesc.lptdesc->vt : static_cast<VARTYPE>(VT_EMPTY);
}

bool NeedsCoercion(VARTYPE given, VARTYPE type) {
    if (type == VT_EMPTY || given == (VT_BYREF | type)) {
        return false;
    }
    // Other by-reference types are left to the type library's Invoke and its own rules.
    return given == (VT_BYREF | VT_VARIANT) || (given & VT_BYREF) == 0;
}

// The description of the method with that dispatch identifier, or null; the caller releases it.
FUNCDESC* FindMethod(ITypeInfo* info, DISPID member) {
    TYPEATTR* attributes = nullptr;
    if (FAILED(info->GetTypeAttr(&attributes))) {
        return nullptr;
    }
    const WORD count = attributes->cFuncs;
    info->ReleaseTypeAttr(attributes);
    for (UINT i = 0; i < count; ++i) {
        FUNCDESC* func = nullptr;
        if (SUCCEEDED(info->GetFuncDesc(i, &func))) {
            if (func->memid == member && func->invkind == INVOKE_FUNC) {
                return func;
            }
            info->ReleaseFuncDesc(func);
        }
    }
    return nullptr;
}

}  // namespace

ScriptArguments::~ScriptArguments() {
    for (Slot& slot : slots_) {
        VariantClear(&slot.value);
    }
}

HRESULT ScriptArguments::Adapt(ITypeInfo* info, DISPID member, const DISPPARAMS& params,
                               UINT* arg_error) {
    params_ = params;
    FUNCDESC* func = FindMethod(info, member);
    if (func == nullptr) {
        return S_OK;  // not a method: the type library's Invoke reports it
    }
    args_.assign(params.rgvarg, params.rgvarg + params.cArgs);
    slots_.reserve(params.cArgs);
    HRESULT hr = S_OK;
    for (UINT i = 0; i < params.cArgs && SUCCEEDED(hr); ++i) {
        // rgvarg holds the positional arguments last to first, after the named ones.
        const int param = i < params.cNamedArgs ? params.rgdispidNamedArgs[i]
                                                : static_cast<int>(params.cArgs - 1 - i);
        if (param < 0 || param >= func->cParams) {
            continue;
        }
        const VARTYPE type = ReferencedType(func->lprgelemdescParam[param]);
        if (!NeedsCoercion(V_VT(&args_[i]), type)) {
            continue;
        }
        Slot& slot = slots_.emplace_back();
        hr = Coerce(params.rgvarg[i], type, slot);
        if (FAILED(hr)) {
            if (arg_error != nullptr) {
                *arg_error = i;
            }
            break;
        }
        V_VT(&args_[i]) = VT_BYREF | type;
        // Every member of a variant's value union starts at the same address.
        V_BYREF(&args_[i]) = &V_BSTR(&slot.value);
    }
    info->ReleaseFuncDesc(func);
    params_.rgvarg = args_.data();
    return hr;
}

HRESULT ScriptArguments::Coerce(const VARIANT& argument, VARTYPE type, Slot& slot) {
    VariantInit(&slot.value);
    const bool by_reference = V_VT(&argument) == (VT_BYREF | VT_VARIANT);
    slot.written = by_reference ? V_VARIANTREF(&argument) : nullptr;
    VARIANT* source = by_reference ? V_VARIANTREF(&argument) : const_cast<VARIANT*>(&argument);
    const HRESULT hr = VariantChangeType(&slot.value, source, 0, type);
    slot.before = slot.value;
    return FAILED(hr) ? DISP_E_TYPEMISMATCH : S_OK;
}

void ScriptArguments::WriteBack() {
    for (Slot& slot : slots_) {
        if (slot.written != nullptr &&
            std::memcmp(&slot.before, &slot.value, sizeof(VARIANT)) != 0) {
            VariantClear(slot.written);
            *slot.written = slot.value;
            VariantInit(&slot.value);  // now the caller's
        }
    }
}

}  // namespace fernlowe::com
