// The type information an object offers, or the DLL file holds: the library, interface _C with
// exactly the six methods as the report designer lists them, and class C.
#include <string>
#include <vector>

#include "Checks.h"
#include "Objects.h"
#include "Tests.h"

namespace {

struct Parameter {
    const wchar_t* name;
    VARTYPE type;  // what the by-reference parameter points to
};

struct Method {
    const wchar_t* name;
    MEMBERID id;
    std::vector<Parameter> parameters;  // without the return value
};

const std::vector<Method> kMethods = {
    {L"ode39", 0x60030001, {{L"yourdata", VT_BSTR}, {L"checkdigit", VT_I2}, {L"delim", VT_BSTR}}},
    {L"odeITF", 0x60030002, {{L"yourdata", VT_BSTR}, {L"checkdigit", VT_I2}}},
    {L"ode128", 0x60030003, {{L"yourdata", VT_BSTR}, {L"format", VT_I2}}},
    {L"odeUPCA", 0x60030006, {{L"yourdata", VT_BSTR}}},
    {L"odeEAN13", 0x60030007, {{L"yourdata", VT_BSTR}}},
    {L"odeEAN8", 0x60030008, {{L"yourdata", VT_BSTR}}},
};

std::wstring NameOf(ITypeInfo* info, MEMBERID id) {
    Bstr name;
    info->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
    return name.text();
}

bool PointsTo(const TYPEDESC& type, VARTYPE target) {
    return type.vt == VT_PTR && type.lptdesc->vt == target;
}

void CheckMethod(ITypeInfo* info, UINT index, const Method& expected) {
    const std::string what =
        "method " + std::to_string(index) + " (" + check::Printable(expected.name) + ")";
    FUNCDESC* func = nullptr;
    if (FAILED(info->GetFuncDesc(index, &func))) {
        check::That(false, what + ": no description");
        return;
    }
    check::That(func->memid == expected.id, what + ": dispatch identifier");
    check::That(func->invkind == INVOKE_FUNC && func->callconv == CC_STDCALL,
                what + ": a stdcall method");
    // After the seven methods of IUnknown and IDispatch; the type library system gives the
    // offsets in pointers of the reading process, whatever platform the library was made for.
    check::That(func->oVft == static_cast<SHORT>((7 + index) * sizeof(void*)),
                what + ": function table slot");
    check::That(func->elemdescFunc.tdesc.vt == VT_HRESULT, what + ": returns HRESULT");
    check::That(func->cParamsOpt == 0, what + ": no optional parameters");
    const UINT count = static_cast<UINT>(expected.parameters.size());
    check::That(func->cParams == static_cast<SHORT>(count + 1), what + ": parameter count");
    if (func->cParams == static_cast<SHORT>(count + 1)) {
        std::vector<BSTR> names(count + 2);
        UINT found = 0;
        info->GetNames(func->memid, names.data(), count + 2, &found);
        check::Equal(found > 0 ? names[0] : L"", expected.name, what + ": name");
        for (UINT p = 0; p < count; ++p) {
            const ELEMDESC& param = func->lprgelemdescParam[p];
            const std::string pwhat = what + " parameter " + std::to_string(p);
            check::Equal(p + 1 < found ? names[p + 1] : L"", expected.parameters[p].name,
                         pwhat + ": name");
            check::That(PointsTo(param.tdesc, expected.parameters[p].type),
                        pwhat + ": type by reference");
            check::That(param.paramdesc.wParamFlags == (PARAMFLAG_FIN | PARAMFLAG_FOUT),
                        pwhat + ": in and out, no default");
        }
        const ELEMDESC& result = func->lprgelemdescParam[count];
        check::That(PointsTo(result.tdesc, VT_BSTR) &&
                        result.paramdesc.wParamFlags == (PARAMFLAG_FOUT | PARAMFLAG_FRETVAL),
                    what + ": the result is a retval BSTR");
        for (BSTR name : names) {
            SysFreeString(name);
        }
    }
    info->ReleaseFuncDesc(func);
}

void CheckInterface(ITypeInfo* dispatch) {
    TYPEATTR* attributes = nullptr;
    dispatch->GetTypeAttr(&attributes);
    check::That(attributes->typekind == TKIND_DISPATCH, "_C is offered as a dispatch interface");
    const WORD flags =
        TYPEFLAG_FDUAL | TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE;
    check::That((attributes->wTypeFlags & flags) == flags,
                "_C is dual, hidden, nonextensible, dispatchable");
    check::That(IsEqualIID(attributes->guid, IID__C), "_C's interface identifier");
    dispatch->ReleaseTypeAttr(attributes);
    check::Equal(NameOf(dispatch, MEMBERID_NIL), L"_C", "interface name");

    // The function-table view of the dual interface.
    HREFTYPE reference = 0;
    ITypeInfo* table = nullptr;
    check::Status(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &reference), S_OK,
                  "the function-table view of _C");
    if (FAILED(dispatch->GetRefTypeInfo(reference, &table))) {
        check::That(false, "the function-table view of _C can be read");
        return;
    }
    table->GetTypeAttr(&attributes);
    check::That(attributes->typekind == TKIND_INTERFACE, "_C's function-table view");
    // OLE Automation types only, so the standard marshaller can serve it.
    check::That((attributes->wTypeFlags & (flags | TYPEFLAG_FOLEAUTOMATION)) ==
                    (flags | TYPEFLAG_FOLEAUTOMATION),
                "_C's function table is oleautomation");
    check::That(attributes->cFuncs == kMethods.size(), "exactly six methods of its own");
    check::That(attributes->cVars == 0 && attributes->cImplTypes == 1, "no properties, one base");
    const WORD count = attributes->cFuncs;
    table->ReleaseTypeAttr(attributes);
    for (UINT i = 0; i < count && i < kMethods.size(); ++i) {
        CheckMethod(table, i, kMethods[i]);
    }
    ITypeInfo* base = nullptr;
    if (SUCCEEDED(table->GetRefTypeOfImplType(0, &reference)) &&
        SUCCEEDED(table->GetRefTypeInfo(reference, &base))) {
        check::Equal(NameOf(base, MEMBERID_NIL), L"IDispatch", "_C derives from IDispatch");
        ITypeLib* stdole = nullptr;
        UINT index = 0;
        base->GetContainingTypeLib(&stdole, &index);
        if (stdole != nullptr) {
            Bstr name;
            stdole->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
            check::Equal(name.text(), L"stdole", "IDispatch comes from stdole2.tlb");
            stdole->Release();
        }
        base->Release();
    } else {
        check::That(false, "_C has a base interface");
    }
    table->Release();
}

void CheckLibrary(ITypeLib* library, SYSKIND platform) {
    TLIBATTR* attributes = nullptr;
    library->GetLibAttr(&attributes);
    check::That(IsEqualGUID(attributes->guid, LIBID_CRUFLFernlowe), "library identifier");
    check::That(attributes->wMajorVerNum == 1 && attributes->wMinorVerNum == 0, "version 1.0");
    check::That(attributes->lcid == 0x0409, "locale 0x0409");
    check::That(attributes->syskind == platform,
                platform == SYS_WIN64 ? "made for 64-bit Windows" : "made for 32-bit Windows");
    library->ReleaseTLibAttr(attributes);
    Bstr name;
    Bstr help;
    library->GetDocumentation(-1, &name, &help, nullptr, nullptr);
    check::Equal(name.text(), L"CRUFLFernlowe", "library name");
    check::Equal(help.text(), L"Fernlowe bar code report functions for the report designer",
                 "library help string");
    check::That(library->GetTypeInfoCount() == 2, "two type infos: _C and C");

    ITypeInfo* coclass = nullptr;
    if (FAILED(library->GetTypeInfoOfGuid(CLSID_C, &coclass))) {
        check::That(false, "class C is in the library");
        return;
    }
    TYPEATTR* type = nullptr;
    coclass->GetTypeAttr(&type);
    check::That(type->typekind == TKIND_COCLASS && (type->wTypeFlags & TYPEFLAG_FCANCREATE),
                "C is a creatable class");
    check::That(type->cImplTypes == 1, "C has a single interface");
    coclass->ReleaseTypeAttr(type);
    check::Equal(NameOf(coclass, MEMBERID_NIL), L"C", "class name");
    INT flags = 0;
    HREFTYPE reference = 0;
    ITypeInfo* main = nullptr;
    coclass->GetImplTypeFlags(0, &flags);
    check::That(flags & IMPLTYPEFLAG_FDEFAULT, "_C is C's default interface");
    if (SUCCEEDED(coclass->GetRefTypeOfImplType(0, &reference)) &&
        SUCCEEDED(coclass->GetRefTypeInfo(reference, &main))) {
        check::Equal(NameOf(main, MEMBERID_NIL), L"_C", "C's interface");
        main->Release();
    }
    coclass->Release();
}

}  // namespace

void CheckTypeInformation() {
    IDispatch* object = CreateByProgId();
    check::That(object != nullptr, "CRUFLFernlowe.C can be created");
    if (object == nullptr) {
        return;
    }
    UINT count = 0;
    object->GetTypeInfoCount(&count);
    check::That(count == 1, "the object offers type information");
    ITypeInfo* dispatch = nullptr;
    check::Status(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, &dispatch), S_OK, "GetTypeInfo");
    if (dispatch != nullptr) {
        CheckInterface(dispatch);
        ITypeLib* library = nullptr;
        UINT index = 0;
        check::Status(dispatch->GetContainingTypeLib(&library, &index), S_OK,
                      "the containing type library");
        if (library != nullptr) {
#ifdef _WIN64
            CheckLibrary(library, SYS_WIN64);
#else
            CheckLibrary(library, SYS_WIN32);
#endif
            library->Release();
        }
        dispatch->Release();
    }
    object->Release();
}

void CheckTypeLibraryFile(const std::wstring& file, SYSKIND platform) {
    ITypeLib* library = nullptr;
    check::Status(LoadTypeLibEx(file.c_str(), REGKIND_NONE, &library), S_OK,
                  "the type library of " + check::Printable(file) + " loads as data");
    if (library == nullptr) {
        return;
    }
    CheckLibrary(library, platform);
    ITypeInfo* dispatch = nullptr;
    check::Status(library->GetTypeInfoOfGuid(IID__C, &dispatch), S_OK, "_C is in the library");
    if (dispatch != nullptr) {
        CheckInterface(dispatch);
        dispatch->Release();
    }
    library->Release();
}
