#include "Objects.h"

#include "Checks.h"

IDispatch* CreateByProgId() {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"CRUFLFernlowe.C", &clsid))) {
        return nullptr;
    }
    IDispatch* object = nullptr;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                     reinterpret_cast<void**>(&object));
    return object;
}

_C* AsInterface(IDispatch* object) {
    _C* typed = nullptr;
    check::Status(object->QueryInterface(IID__C, reinterpret_cast<void**>(&typed)), S_OK,
                  "QueryInterface for _C");
    return typed;
}
